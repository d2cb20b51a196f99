// The record file's bytes and the recording-time split: pure functions
// without panel or file access.
#pragma once

#include <cstdint>
#include <string>

// Number of values in one data line: R, G, B, X, Y, INT, TEMP.
constexpr int kRecordValues = 7;
// Bytes of the fixed date and time fields at the start of a data line.
constexpr int kRecordStampBytes = 12;

// The header line: nine column names, each followed by a tab and a NUL
// byte, then CR LF (55 bytes).
std::string RecordHeader();

// One data line: the date and the time each in a 12-byte field padded with
// NUL bytes (longer texts are cut to 12 bytes), each field followed by a
// tab, then the values as unsigned decimals separated by tabs, then CR LF.
std::string RecordLine(const char *date, const char *time, const uint16_t values[kRecordValues]);

// interval x count seconds split into days, hours, minutes and seconds. The
// product is formed in 64 bits: 65535 x 65535 s does not overflow.
struct RecordTime {
    int64_t days;
    int hours;
    int minutes;
    int seconds;
};
RecordTime SplitRecordTime(uint16_t intervalSeconds, uint16_t count);

// Upper end of the graphs' frame-number axis for the highest frame number
// plotted: the next step of 1, 2, 5, 10, 20, 50 ... at or above it, so a
// recording of a few frames spans the width.
// The axis grows in steps of at least double, so that the plotted history
// is redrawn only a logarithmic number of times in a long recording.
double GraphFrameAxisMax(unsigned highestFrame);
