// A private X server (Xvfb) with a small window manager, for tests that run
// the programs on a real display and drive them with real X input (xdotool):
// key presses and mouse clicks arrive as a user's do.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A window's picture as xwd delivers it, reduced to 0xRRGGBB pixels.
struct XPicture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // row by row
    bool empty() const { return pixels.empty(); }
    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // Share of pixels (0..1) for which pred holds.
    template <class Pred>
    double share(Pred pred) const
    {
        if (pixels.empty())
            return 0;
        size_t n = 0;
        for (uint32_t p : pixels)
            n += pred(p) ? 1 : 0;
        return static_cast<double>(n) / static_cast<double>(pixels.size());
    }
};

// Parses an X window dump (xwd's format: TrueColor, 24 or 32 bits a pixel).
// Empty when the data is not such a dump.
XPicture ParseXwd(const std::string &data);

// A program run in the background on the X server; its output goes to a file.
struct XProgram {
    XProgram(const std::string &path, const std::vector<std::string> &args, const std::vector<std::string> &env,
             const std::string &outputFile);
    ~XProgram();
    XProgram(const XProgram &) = delete;
    XProgram &operator=(const XProgram &) = delete;
    bool running();
    // Waits up to seconds for the program to end; its exit code, or -1 when it still runs.
    int waitExit(double seconds);
    void stop();
    int pid = -1;
    int exitCode = -1;
    std::string outputFile;
};

class XSession {
public:
    XSession();
    ~XSession();
    XSession(const XSession &) = delete;
    XSession &operator=(const XSession &) = delete;

    bool ok() const { return !display_.empty(); }
    const std::string &why() const { return why_; } // why the server could not start
    const std::string &display() const { return display_; }
    // DISPLAY=... for a program's environment.
    std::string displayEnv() const { return "DISPLAY=" + display_; }

    // Runs an X client tool from PATH on this display; its exit code, -1 on time-out.
    int tool(const std::vector<std::string> &args, std::string *out = nullptr, double seconds = 10) const;
    // xdotool with these arguments; true on exit code 0.
    bool xdotool(const std::vector<std::string> &args, std::string *out = nullptr) const;
    // Ids of the visible windows whose title matches the regular expression.
    std::vector<std::string> windows(const std::string &titleRegex) const;
    // Waits until exactly one visible window matches; its id, "" on time-out.
    std::string waitWindow(const std::string &titleRegex, double seconds) const;
    // Waits until no visible window matches.
    bool waitNoWindow(const std::string &titleRegex, double seconds) const;
    // Gives the window the keyboard (through the window manager) and waits for it.
    bool activate(const std::string &id) const;
    // Keys with xdotool's names ("F11", "Return", "ctrl+a"), typed text, mouse clicks at a point of a window.
    bool key(const std::string &keys) const;
    bool type(const std::string &text) const;
    bool click(const std::string &id, int x, int y, int button = 1) const;
    // The window's own picture (its contents, not what lies on top on the screen).
    XPicture grab(const std::string &id, const std::string &saveAs = "") const;

private:
    int xvfb_ = -1;
    int wm_ = -1;
    std::string display_;
    std::string why_;
};

// Full path of an executable found on PATH, "" when there is none.
std::string FindOnPath(const std::string &name);

// Polls cond every 50 ms (sleeping) until it holds or seconds have passed.
bool WaitUntil(double seconds, const std::function<bool()> &cond);
