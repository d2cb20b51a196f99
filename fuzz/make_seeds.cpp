// Writes the seed corpus of every fuzz target into DIR/<target>/ with the
// programs' own writers (and a copy of the run-time tests' data files where
// they fit). Run it once after a change of a file format:
//   build/fuzz/fuzz_make_seeds fuzz/corpus
// Regression inputs found by fuzzing are added by hand next to the seeds.
#include "color_arrays.h"
#include "commands.h"
#include "fuzz_support.h"
#include "iphistory.h"
#include "loaderdata.h"
#include "record_format.h"
#include "rt_file.h"
#include "rt_ui.h"
#include "telegram.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string g_out;
std::string g_source;
bool g_ok = true;

void put(const std::string &target, const std::string &name, const std::string &bytes)
{
    fs::create_directories(g_out + "/" + target);
    if (!fuzz::WriteBytes(g_out + "/" + target + "/" + name, bytes)) {
        std::fprintf(stderr, "cannot write %s/%s\n", target.c_str(), name.c_str());
        g_ok = false;
    }
}

std::string readAll(const std::string &path)
{
    if (!fs::is_regular_file(path)) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        g_ok = false;
    }
    return fuzz::ReadBytes(path);
}

// A file written by one of the programs' writers, as bytes.
template <typename Writer>
std::string written(Writer write)
{
    const std::string path = g_out + "/.seed.tmp";
    if (write(path.c_str()) != 0) {
        std::fprintf(stderr, "a writer failed\n");
        g_ok = false;
    }
    std::string bytes = readAll(path);
    fs::remove(path);
    return bytes;
}

std::string words(std::initializer_list<uint16_t> ws)
{
    std::string out;
    for (uint16_t w : ws) {
        out += static_cast<char>(w >> 8);
        out += static_cast<char>(w & 0xFF);
    }
    return out;
}

std::string telegram(uint16_t order, std::initializer_list<uint16_t> payload = {})
{
    std::string t = words({0x55, order});
    t += words(payload);
    t.resize(36, '\0');
    return t;
}

std::string srecord(char type, uint32_t address, const std::vector<uint8_t> &data)
{
    return fuzz::SRecordText(type, address, data) + "\r\n";
}

std::string firmware()
{
    std::string fw = srecord('0', 0, {'V', 'E', 'L', 'T', ' ', 'F', 'W'});
    for (uint32_t a = 0x1000; a < 0x1040; a += 16) {
        std::vector<uint8_t> d;
        for (uint32_t i = 0; i < 16; ++i)
            d.push_back(static_cast<uint8_t>(a + i * 37));
        fw += srecord('1', a, d);
    }
    fw += srecord('2', 0x012000, {1, 2, 3, 4});
    fw += srecord('9', 0x00A4, {});
    return fw;
}

// veltsim_commands: an operation byte (bit 0: channel; (op >> 1) % 8: 0-5
// bytes, 6 time, 7 disconnect/connect), then its operands.
std::string send(int channel, const std::string &bytes)
{
    std::string out;
    for (size_t at = 0; at < bytes.size(); at += 255) {
        const std::string piece = bytes.substr(at, 255);
        out += static_cast<char>(channel);
        out += static_cast<char>(piece.size());
        out += piece;
    }
    return out;
}
std::string wait(int channel, int hundredths) { return std::string {char(12 | channel), char(hundredths)}; }

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    g_out = argv[1];
    g_source = fs::absolute(g_out).lexically_normal().parent_path().parent_path().string(); // above fuzz/corpus
    const std::string data = g_source + "/runtime/tests/data/";
    fs::create_directories(g_out);

    // telegram: a reply, then order, argument, block, count and an echo length.
    const std::string tail = words({ORDER_SET_PARA, 0, 0, 0}) + "\x12";
    put("telegram", "get_para", telegram(ORDER_GET_PARA, {1, 2, 3, 0, 0, 4095, 12, 1, 0, 0, 1, 10, 90}) + tail);
    put("telegram", "get_row", telegram(ORDER_GET_ROW, {7, 100, 200, 300, 20, 40, 3}) + words({2, 7, 0, 0}) + "\x09");
    put("telegram", "data_frame",
        telegram(ORDER_GET_DATA, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}) + words({ORDER_GET_DATA, 0, 0, 0}) +
            "\x01");
    put("telegram", "loader_read",
        words({0xAA, ORDER_EEPROM_READ, 0x1200, 13, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 0}) +
            words({ORDER_EEPROM_WRITE, 0x1200, 255, 13}) + "\x0f");
    put("telegram", "jump_answer",
        words({0xAA, ORDER_JUMP_BOOT, 0xAA, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}) +
            words({ORDER_JUMP_BOOT, 0, 0, 0}) + "\x03");
    // The loader's answer checks: a jump answer without 00AA, a block read's
    // echo that differs in its last word (the count).
    put("telegram", "jump_refused",
        words({0xAA, ORDER_JUMP_BOOT, 0}) + std::string(30, '\0') + words({ORDER_JUMP_BOOT, 0, 0, 0}) + "\x03");
    put("telegram", "echo_last_word",
        words({0xAA, ORDER_EEPROM_READ, 0x1200, 14}) + std::string(28, '\0') +
            words({ORDER_EEPROM_READ, 0x1200, 0, 13}) + "\x04");
    std::string version = "VELTSIM COLOUR SENSOR V6.1";
    version.resize(36, '\0');
    put("telegram", "version", version + words({ORDER_GET_VERSION, 31, 0, 0}) + "\x02");

    // Parameter files.
    uint16_t packet[kParaWords];
    for (int i = 0; i < kParaWords; ++i)
        packet[i] = static_cast<uint16_t>(i < 16 ? i * 3 : (i * 257) % 4096);
    packet[6] = 12;
    put("parameter_file", "written.dat", written([&](const char *p) { return WriteParameterFile(p, packet); }));
    put("parameter_file", "fixture.dat", readAll(data + "param.dat"));
    put("parameter_file", "too_few.dat", "1 2 3\r\n4,5\t6\n");

    // Arrays as text: a header of seven choice bytes, then the file.
    const int16_t shorts[6] = {-32768, -1, 0, 1, 1000, 32767};
    put("array_file", "short_columns", std::string("\x01\x02\x03\x00\x01\x00\x06", 7) + written([&](const char *p) {
                                           return ArrayToFile(p, shorts, VAL_SHORT_INTEGER, 6, 2, VAL_GROUPS_TOGETHER,
                                                              VAL_GROUPS_AS_COLUMNS, VAL_CONST_WIDTH, 6, VAL_ASCII,
                                                              VAL_TRUNCATE);
                                       }));
    const double doubles[4] = {0.1, -2.5e300, 1e-310, 3};
    put("array_file", "double_rows", std::string("\x06\x00\x04\x01\x00\x01\x00", 7) + written([&](const char *p) {
                                         return ArrayToFile(p, doubles, VAL_DOUBLE, 4, 1, VAL_DATA_MULTIPLEXED,
                                                            VAL_GROUPS_AS_ROWS, VAL_SEP_BY_COMMA, 0, VAL_ASCII,
                                                            VAL_TRUNCATE);
                                     }));
    put("array_file", "float_text", std::string("\x05\x00\x05\x00\x00\x02\x00", 7) + "1.5 +2 -3e38 inf nan");
    put("array_file", "unsigned_tabs", std::string("\x04\x01\x03\x00\x00\x02\x0a", 7) + "4294967295\t0\t17\r\n1\t2\t3");

    put("ip_history", "three", FormatIpHistory({"127.0.0.1", "192.168.100.200", "10.0.0.1"}));
    put("ip_history", "ten",
        FormatIpHistory({"1.1.1.1", "2.2.2.2", "3.3.3.3", "4.4.4.4", "5.5.5.5", "6.6.6.6", "7.7.7.7", "8.8.8.8",
                         "9.9.9.9", "a.very.long.hostname.example"}));

    int colours[kColorArraySize];
    for (int i = 0; i < kColorArraySize; ++i)
        colours[i] = (i * 0x3F1A7) & 0xFFFFFF;
    put("color_array", "written.car", written([&](const char *p) { return WriteColorArrayFile(p, colours); }));
    put("color_array", "fixture.car", readAll(data + "colors.car"));

    put("startup_path", "written", written([](const char *p) {
            return WriteStartupPathFile(p, "/home/user/.local/share/veltra/ColorArray.car");
        }));
    put("startup_path", "no_nul", std::string(300, 'a'));

    const double coefficients[15] = {1e-9, -2.5e-6, 0.001, 1, 25, 0, 0, 0, 1, 25, -1e-7, 3e-5, 0.5, 0.75, 30};
    // As VeltTempCompV61 writes it: one a line, right-aligned in ten characters.
    put("equation_file", "written.equ", written([&](const char *p) {
            return ArrayToFile(p, coefficients, VAL_DOUBLE, 15, 1, VAL_GROUPS_TOGETHER, VAL_GROUPS_AS_COLUMNS,
                               VAL_CONST_WIDTH, 10, VAL_ASCII, VAL_TRUNCATE);
        }));
    put("equation_file", "fixture.equ", readAll(data + "equation.equ"));

    // Record lines: date length, date, time length, time, seven words, a flag.
    const auto recordInput = [](const std::string &date, const std::string &time, std::initializer_list<uint16_t> v) {
        return std::string(1, char(date.size())) + date + std::string(1, char(time.size())) + time + words(v) + "\x00";
    };
    put("record_file", "two_lines",
        recordInput("07.12.2026", "02:15:00", {100, 200, 300, 4095, 0, 2000, 25}) +
            recordInput("07.12.2026", "02:15:01", {65535, 0, 1, 2, 3, 4, 5}) + words({10, 360}));
    put("record_file", "long_stamps", recordInput("Monday, 7 December 2026", "02:15:00.123456", {1, 2, 3, 4, 5, 6, 7}));

    put("eeprom_backup", "fixture", std::string("\x00", 1) + readAll(data + "eeprom_backup.dat"));
    put("eeprom_backup", "completed",
        "\x03"
        "65535 1,2\t3\r\n");
    put("eeprom_backup", "one_more",
        "\x01"
        "7");

    // Boot text: pairs of a two-byte read length and the read.
    const auto read = [](const std::string &s) { return words({static_cast<uint16_t>(s.size())}) + s + '\x00'; };
    put("boot_text", "update",
        read(std::string("\r\n\r\n Waiting for appli")) + read(std::string("cation S-Record.\x11", 18)) +
            read("\r\nApplication started from address 0x00A4\r\n"));
    put("boot_text", "error_with_nuls", read(std::string("\0\r\nError\0 # 02\r\n", 16)));

    put("ui_script", "session",
        "# a session\nwait 0.5\nclick P BUTTONGO\nwaitfor P STATUS ~= TIMEOUT 5\nset P EDITNAME some text  \n"
        "setcell P TABLE 2 3 1.5\r\nfile /tmp/x.dat existing\nanswer yes\nwaitfor P LED dimmed == 1 3\nquit 0\n");
    put("ui_script", "odd", "   \n#only a comment\n\tkey P Return # trailing\nprintattr\tP\tCTRL  label\n");

    // veltsim: every order once on TCP, a data request on the line, then a
    // jump to the boot firmware, its prompt, a firmware and the start.
    std::string session = send(0, telegram(3) + telegram(4, {5}) + telegram(5) + telegram(7) + telegram(19));
    session += send(0, telegram(1, {1, 2, 3}) + telegram(2, {3, 1, 2, 3, 4, 5, 6}) + telegram(6) + telegram(8));
    session += send(0, telegram(31) + telegram(44) + telegram(51, {128}) + telegram(43));
    session += send(1, telegram(5).substr(0, 20)) + wait(1, 1) + send(1, telegram(5).substr(20));
    session += send(0, words({0x55, 184, 0x1200, 13}) + std::string(28, '\0'));
    put("veltsim_commands", "orders", session);
    std::string update = send(1, words({0x55, 187}) + std::string(32, '\0')) + wait(1, 10);
    update += send(1, firmware()) + wait(1, 10);
    put("veltsim_commands", "update", update);

    // Records far apart: the image keeps only their own bytes.
    const std::string farApart = srecord('1', 0x0000, {0xAA, 0xBB}) + srecord('3', 0xFFFFFF00, {1, 2, 3}) +
                                 srecord('3', 0x80000000, {4}) + srecord('9', 0, {});
    std::string farUpdate = send(1, words({0x55, 187}) + std::string(32, '\0')) + wait(1, 10);
    farUpdate += send(1, farApart) + wait(1, 10);
    put("veltsim_commands", "far_apart", farUpdate);

    put("srecord", "firmware", firmware());
    put("srecord", "far_apart", farApart);
    put("srecord", "errors", "S1131000D623DF7740452EED694895163FCE23D68C\r\nS1131000D623DF77S9031000EC\nS4\nX\n");

    std::printf("%s\n", g_ok ? "seeds written" : "some seeds failed");
    return g_ok ? 0 : 1;
}
