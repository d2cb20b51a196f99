// The firmware update as the command-line tool runs it: the loader's update
// with a complete EEPROM backup before it and the identification after it.
#include "loader.h"

#include <cctype>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>

namespace quillon {

std::string FlashBackupName(const std::string &identification, long long utcSeconds)
{
    std::string name, word;
    const auto endWord = [&] {
        if (!word.empty())
            name += (name.empty() ? "" : "-") + word;
        word.clear();
    };
    for (const char c : identification) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (std::isspace(u))
            endWord();
        else if (std::isalnum(u) || c == '-' || c == '.' || c == '_')
            word += c;
    }
    endWord();
    if (name.empty())
        name = "sensor";
    const std::time_t t = static_cast<std::time_t>(utcSeconds);
    std::tm tm {};
    gmtime_r(&t, &tm);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &tm);
    return name + "-" + stamp + ".dat";
}

std::string FlashBackupDir()
{
    const char *data = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (data && data[0] == '/')
        base = data;
    else if (const char *home = std::getenv("HOME"))
        base = std::string(home) + "/.local/share";
    else
        base = ".";
    return base + "/veltra/backups";
}

JobResult RunFlash(const FlashOptions &options, LoaderObserver &obs, FlashOutcome *outcome)
{
    std::vector<std::string> lines;
    if (const JobResult r = LoadFirmwareFile(options.file, &lines, obs); r != JobResult::Ok)
        return r;
    if (!options.resume && options.backup) {
        if (const JobResult r = IdentifyLoader(obs, &outcome->before); r != JobResult::Ok)
            return r;
        const std::string dir = FlashBackupDir();
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        outcome->backupFile = dir + "/" + FlashBackupName(outcome->before, std::time(nullptr));
        obs.Step("Backing up the EEPROM to " + outcome->backupFile);
        if (const JobResult r = RunBackup(outcome->backupFile, obs); r != JobResult::Ok) {
            outcome->backupFile.clear();
            return r;
        }
    }
    const JobResult r = RunFirmwareUpdate(lines, options.resume, obs);
    if (LastFirmwareStage() < FirmwareStage::Finished || r == JobResult::Cancelled)
        return r;
    const JobResult id = IdentifyLoader(obs, &outcome->after);
    if (r != JobResult::Ok)
        return r;
    return id;
}

} // namespace quillon
