#include "e2e.h"

bool Has(const std::string &text, const std::string &what) { return text.find(what) != std::string::npos; }

int Count(const std::string &text, const std::string &what)
{
    int n = 0;
    if (what.empty())
        return 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1))
        ++n;
    return n;
}

int Count(const std::vector<int> &orders, int order)
{
    int n = 0;
    for (int o : orders)
        n += o == order;
    return n;
}

std::string ConnectScript(Link link, const SimProcess &sim, const std::string &version, const std::string &beforeAccept)
{
    if (link == Link::Pty)
        return "waitfor P DispStatus == " + version + " 10\n";
    return "click P ButtonConnect\n"
           "set INTERFACEP EditCommunicationProtocol 1\n"
           "set INTERFACEP StringIpAdress 127.0.0.1\n"
           "set INTERFACEP StringPortNumber " +
           std::to_string(sim.tcpPort) + "\nclick INTERFACEP ButtonTryToConnect\n" +
           "waitfor INTERFACEP DispConnectionStatus == " + version + " 10\n" + beforeAccept +
           "click INTERFACEP ButtonAccept\n";
}

int RunScriptIn(const std::string &program, const std::string &dir, const SimProcess *sim, const std::string &script,
                std::string *out, double timeoutSeconds)
{
    const std::string exe = InstallCopy(program, dir);
    const std::string path = WriteTextFile(dir + "/script.txt", script);
    const std::string com1 = sim && !sim->ptyLink.empty() ? sim->ptyLink : std::string("/nonexistent/tty");
    return RunProgram(exe, {"--ui-script", path}, {"QT_QPA_PLATFORM=offscreen", "VELTRA_COM1=" + com1}, timeoutSeconds,
                      out);
}

std::vector<int> Repeat(std::vector<int> head, int order, int n)
{
    head.insert(head.end(), static_cast<size_t>(n), order);
    return head;
}

std::string Hex(const std::string &grouped)
{
    std::string out;
    for (char c : grouped)
        if (c != ' ')
            out += c;
    return out;
}
