// Recorder of Veltv61: data frames written to a record file, timed (interval
// and count) or by hand while polling, on the record panel RECP.
#pragma once

#include <cstdint>

extern uint16_t zeitint;  // recording interval in seconds
extern uint16_t anzwerte; // number of frames to record
extern uint16_t otcrec;   // frames recorded since the recording started (manual: since manual mode was chosen)

void ChangePanel();
void InitRecordPanel();
void CalcRecTime();
void SelRecFile();
// Appends the header line to file_name; false (reported) when it could not be written.
bool WriteFileHeader();
void Record();
// The timed loop; false when it wrote no line or a line could not be written.
bool RecordFrame();
void SlowDown();
// Appends one data line of the values held; false (reported) when it could not be written.
bool ToFile();
void RecordPolling();
void RecordManually();
void StopRecord();
void SetRecordData();
