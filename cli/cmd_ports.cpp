// veltra ports: the serial devices present, with what the system knows of
// each, the COM numbers the suite's rule gives it and whether this user may
// open it.
#include "veltra.h"

#include "rt_com.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

extern char **environ;

namespace {

constexpr int kMaxComNumber = 256;
constexpr const char *kByIdDir = "/dev/serial/by-id";

struct Port {
    std::string path;    // as the user names it: /dev/ttyUSB0, or what VELTRA_COM<n> says
    std::string real;    // the device it is (links followed)
    std::string byId;    // its /dev/serial/by-id name, if any
    std::string vendor;  // USB idVendor, idProduct, serial, manufacturer, product
    std::string product; // (empty when the system does not know them)
    std::string serial;
    std::string manufacturer;
    std::string productName;
    std::vector<int> com; // COM numbers that stand for it
    bool access = false;
    std::string hint; // why it cannot be opened
};

std::string realPath(const std::string &path)
{
    char buf[PATH_MAX];
    return ::realpath(path.c_str(), buf) ? std::string(buf) : path;
}

std::string firstLine(const std::string &file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' '))
        line.pop_back();
    return line;
}

// Names in a directory that start with prefix, in natural order (ttyUSB2 before ttyUSB10).
std::vector<std::string> entries(const char *dir, const std::string &prefix)
{
    std::vector<std::string> names;
    if (DIR *d = ::opendir(dir)) {
        while (const dirent *e = ::readdir(d)) {
            const std::string n = e->d_name;
            if (n.rfind(prefix, 0) == 0 && n != "." && n != "..")
                names.push_back(n);
        }
        ::closedir(d);
    }
    std::sort(names.begin(), names.end(), [](const std::string &a, const std::string &b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    return names;
}

// A ttyS device with a UART behind it (the kernel makes placeholders for
// ports that are not there; their type is 0).
bool realUart(const std::string &name)
{
    const std::string type = firstLine("/sys/class/tty/" + name + "/type");
    return !type.empty() && type != "0";
}

// The USB device above a tty in sysfs: idVendor, idProduct and the texts.
void readUsb(Port &p)
{
    const std::string name = p.real.substr(p.real.rfind('/') + 1);
    std::string dir = realPath("/sys/class/tty/" + name + "/device");
    for (int up = 0; up < 6 && dir.size() > 5 && dir.rfind("/sys/", 0) == 0; ++up) {
        const std::string vendor = firstLine(dir + "/idVendor");
        if (!vendor.empty()) {
            p.vendor = vendor;
            p.product = firstLine(dir + "/idProduct");
            p.serial = firstLine(dir + "/serial");
            p.manufacturer = firstLine(dir + "/manufacturer");
            p.productName = firstLine(dir + "/product");
            return;
        }
        dir = dir.substr(0, dir.rfind('/'));
    }
}

void readAccess(Port &p)
{
    if (::access(p.path.c_str(), R_OK | W_OK) == 0) {
        p.access = true;
        return;
    }
    const int err = errno;
    struct stat st {};
    if (err == EACCES && ::stat(p.path.c_str(), &st) == 0) {
        const group *g = ::getgrgid(st.st_gid);
        const std::string name = g ? g->gr_name : std::to_string(st.st_gid);
        p.hint = "permission denied: add the user to the " + name + " group (sudo usermod -aG " + name +
                 " $USER) and log in again";
        return;
    }
    p.hint = std::strerror(err);
}

std::vector<int> comNumbersOf(const std::string &real)
{
    std::vector<int> numbers;
    for (int n = 1; n <= kMaxComNumber; ++n)
        if (realPath(ResolveComDevice(n)) == real)
            numbers.push_back(n);
    return numbers;
}

std::vector<Port> findPorts()
{
    std::vector<Port> ports;
    auto add = [&ports](const std::string &path, const std::string &byId) {
        const std::string real = realPath(path);
        for (Port &p : ports)
            if (p.real == real) {
                if (p.byId.empty())
                    p.byId = byId;
                return;
            }
        Port p;
        p.path = byId.empty() ? path : real;
        p.real = real;
        p.byId = byId;
        ports.push_back(p);
    };
    for (const std::string &n : entries(kByIdDir, ""))
        add(std::string(kByIdDir) + "/" + n, n);
    for (const char *prefix : {"ttyUSB", "ttyACM"})
        for (const std::string &n : entries("/dev", prefix))
            add("/dev/" + n, "");
    for (const std::string &n : entries("/dev", "ttyS"))
        if (realUart(n))
            add("/dev/" + n, "");
    // Every device a VELTRA_COM<n> variable names, in the order of n.
    std::vector<std::pair<int, std::string>> named;
    for (char **e = environ; e && *e; ++e) {
        const std::string var = *e;
        const size_t eq = var.find('=');
        if (var.rfind("VELTRA_COM", 0) != 0 || eq == std::string::npos || eq == 10)
            continue;
        const std::string digits = var.substr(10, eq - 10);
        if (digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 3)
            continue;
        const int n = std::atoi(digits.c_str());
        if (n >= 1 && n <= kMaxComNumber && eq + 1 < var.size())
            named.emplace_back(n, var.substr(eq + 1));
    }
    std::sort(named.begin(), named.end());
    for (const auto &[n, path] : named)
        add(path, "");
    for (Port &p : ports) {
        p.com = comNumbersOf(p.real);
        readUsb(p);
        readAccess(p);
    }
    return ports;
}

void printPort(const CliContext &ctx, const Port &p)
{
    std::string coms, comJson;
    for (int n : p.com) {
        coms += (coms.empty() ? "COM" : ", COM") + std::to_string(n);
        comJson += (comJson.empty() ? "" : ",") + std::to_string(n);
    }
    std::string plain = p.path + (coms.empty() ? "" : " (" + coms + ")") + "\n";
    if (!p.byId.empty())
        plain += "  by-id:  " + p.byId + "\n";
    if (!p.vendor.empty()) {
        plain += "  usb:    " + p.vendor + ":" + p.product;
        const std::string names = p.manufacturer + (p.productName.empty() ? "" : " " + p.productName);
        if (!names.empty() && names != " ")
            plain += " " + names;
        if (!p.serial.empty())
            plain += ", serial " + p.serial;
        plain += "\n";
    }
    plain += "  access: " + (p.access ? std::string("yes") : "no (" + p.hint + ")") + "\n";
    CliRecord r;
    r.Text("path", p.path).Text("device", p.real).Text("by_id", p.byId);
    r.Text("usb_vendor", p.vendor).Text("usb_product", p.product).Text("usb_serial", p.serial);
    r.Text("manufacturer", p.manufacturer).Text("product", p.productName);
    r.Raw("com", "[" + comJson + "]").Bool("access", p.access).Text("hint", p.hint);
    CliEmit(ctx, r, plain);
}

int runPorts(CliContext &ctx)
{
    const std::vector<Port> ports = findPorts();
    for (const Port &p : ports)
        printPort(ctx, p);
    if (ports.empty() && !ctx.quiet)
        CliError(ctx, "no serial device found");
    return kExitOk;
}

const CliCommand kPorts = {
    "ports",
    "",
    "list the serial devices present and the COM numbers they have",
    "Lists the /dev/serial/by-id names first, then the ttyUSB, ttyACM and ttyS devices that are real ports, "
    "then every device a VELTRA_COM<n> variable names. For each: its path, its by-id name, the USB vendor, "
    "product and serial number where the system knows them, the COM numbers the suite's rule gives it, and "
    "whether this user may open it (with the group to join when not).",
    nullptr,
    0,
    0,
    10,
    false,
    runPorts,
};

} // namespace

VELTRA_COMMAND(kPorts);
