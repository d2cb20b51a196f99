// Runs the sensor simulator as a child process for a test: on loopback TCP
// and/or a pseudo-terminal, with a telegram log to inspect afterwards.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct SimProcess {
    // extraArgs are passed on (faults, version text ...). ptyLinkAt puts the
    // pty's link at a given path (a sensor plugged in again where it was).
    explicit SimProcess(const std::vector<std::string> &extraArgs = {}, bool tcp = true, bool pty = true,
                        const std::string &ptyLinkAt = "");
    ~SimProcess();
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    bool ok() const { return pid > 0 && (tcpPort > 0 || !ptyLink.empty()); }
    // Telegram orders received ("rx" lines of the log), in order.
    std::vector<int> receivedOrders() const;
    // One field of every telegram of an order in the log, in order: dir "rx"
    // (received) or "tx" (sent); field "hex" (the 36 bytes as 72 hex
    // digits), "t" (when it was logged) or "at" (when a reply is due).
    std::vector<std::string> telegrams(const std::string &dir, int order, const std::string &field = "hex") const;
    // Every log line (JSON objects).
    std::vector<std::string> logLines() const;
    // Ends the simulator (SIGTERM) and waits for it.
    void stop();
    // Kills it without a chance to clean up, as pulling the plug does.
    void killHard();

    int pid = -1;
    int tcpPort = 0;
    std::string ptyDevice; // /dev/pts/N
    std::string ptyLink;   // symbolic link in a temporary directory
    std::string logPath;
    std::string dir; // temporary directory of this run
};

// Path of a program built beside the tests (VELT_BIN_DIR/<name>).
std::string BuiltProgram(const std::string &name);

// Copies a built program and its panel resource file into dir, as an
// installation of its own (its files then go to dir); returns the copy's path.
// With hardLink the executable is hard-linked where the file system allows.
std::string InstallCopy(const std::string &program, const std::string &dir, bool hardLink = false);
// A new empty temporary directory.
std::string MakeTempDir();
// Writes text to a file (a UI script); returns the path.
std::string WriteTextFile(const std::string &path, const std::string &text);
// Contents of a file ("" if missing).
std::string ReadTextFile(const std::string &path);

// Runs a program with arguments and environment additions, waits up to
// timeoutSeconds, and returns its exit code (-1 on time-out, killed);
// stdout and stderr go to *output.
int RunProgram(const std::string &path, const std::vector<std::string> &args, const std::vector<std::string> &env,
               double timeoutSeconds, std::string *output);

// As RunProgram; onLine is called with every complete line of output as it
// arrives, while the program still runs.
int RunProgramWatched(const std::string &path, const std::vector<std::string> &args,
                      const std::vector<std::string> &env, double timeoutSeconds, std::string *output,
                      const std::function<void(const std::string &line)> &onLine);
