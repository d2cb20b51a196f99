#include "uirindex.h"

#include <QFile>
#include <QXmlStreamReader>
#include <set>

namespace {

const std::set<std::string> &controlClasses()
{
    static const std::set<std::string> classes = {
        "QPushButton", "QCheckBox",      "QRadioButton", "QSpinBox",     "QDoubleSpinBox", "QSlider",   "QComboBox",
        "QLineEdit",   "QPlainTextEdit", "QLabel",       "QTableWidget", "QFrame",         "QGroupBox", "RtLed",
        "RtColorBox",  "RtColorBar",     "RtGraph",      "RtStripChart", "RtPicture",
    };
    return classes;
}

// Reads a <property name="..."><string>value</string></property> body.
std::string readStringProperty(QXmlStreamReader &xml)
{
    std::string value;
    while (xml.readNextStartElement()) {
        if (xml.name() == u"string" || xml.name() == u"cstring")
            value = xml.readElementText().toStdString();
        else
            xml.skipCurrentElement();
    }
    return value;
}

struct Walker {
    QXmlStreamReader &xml;
    UirIndex &index;

    // A <widget> element inside a panel: a control gets the next identifier,
    // and its own children are walked depth-first.
    void handleWidget(UirPanel &panel)
    {
        const auto cls = xml.attributes().value("class").toString().toStdString();
        if (!IsUirControlClass(cls)) {
            walkChildren(panel, nullptr);
            return;
        }
        UirControl c;
        c.name = xml.attributes().value("name").toString().toStdString();
        c.className = cls;
        c.id = static_cast<int>(panel.controls.size()) + 2;
        const size_t pos = panel.controls.size();
        panel.controls.push_back(c);
        std::string callback;
        walkChildren(panel, &callback);
        panel.controls[pos].callback = callback;
    }

    // The children of a widget element; callback receives the widget's own
    // "callback" property when the widget is a control.
    void walkChildren(UirPanel &panel, std::string *callback)
    {
        while (xml.readNextStartElement()) {
            if (xml.name() == u"widget")
                handleWidget(panel);
            else if (xml.name() == u"property" && callback && xml.attributes().value("name") == u"callback")
                *callback = readStringProperty(xml);
            else
                xml.skipCurrentElement();
        }
    }

    void walkPage(UirPanel &panel)
    {
        while (xml.readNextStartElement()) {
            if (xml.name() == u"attribute" && xml.attributes().value("name") == u"title")
                panel.title = readStringProperty(xml);
            else if (xml.name() == u"property" && xml.attributes().value("name") == u"callback")
                panel.callback = readStringProperty(xml);
            else if (xml.name() == u"widget")
                handleWidget(panel);
            else
                xml.skipCurrentElement();
        }
    }

    // Searches for the QTabWidget named "panels" anywhere in the form.
    bool findPanels()
    {
        while (xml.readNextStartElement()) {
            if (xml.name() == u"widget" && xml.attributes().value("class") == u"QTabWidget" &&
                xml.attributes().value("name") == u"panels") {
                while (xml.readNextStartElement()) {
                    if (xml.name() == u"widget") {
                        UirPanel p;
                        p.name = xml.attributes().value("name").toString().toStdString();
                        p.resourceId = static_cast<int>(index.panels.size()) + 1;
                        walkPage(p);
                        index.panels.push_back(std::move(p));
                    } else {
                        xml.skipCurrentElement();
                    }
                }
                return true;
            }
            if (xml.name() == u"widget" || xml.name() == u"ui") {
                if (findPanels())
                    return true;
            } else {
                xml.skipCurrentElement();
            }
        }
        return false;
    }
};

} // namespace

bool IsUirControlClass(const std::string &className) { return controlClasses().count(className) != 0; }

std::string UirIdentifier(const std::string &name)
{
    std::string out;
    for (char ch : name) {
        if (ch >= 'a' && ch <= 'z')
            out += static_cast<char>(ch - 'a' + 'A');
        else if ((ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9'))
            out += ch;
        else
            out += '_';
    }
    return out;
}

UirIndex ReadUirIndex(const std::string &path)
{
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly)) {
        UirIndex index;
        index.error = "cannot open " + path;
        return index;
    }
    const QByteArray bytes = f.readAll();
    return ParseUirIndex(bytes.constData(), static_cast<size_t>(bytes.size()), path);
}

UirIndex ParseUirIndex(const char *data, size_t size, const std::string &path)
{
    UirIndex index;
    QXmlStreamReader xml(QByteArray::fromRawData(data, static_cast<qsizetype>(size)));
    Walker w {xml, index};
    const bool found = w.findPanels();
    if (xml.hasError()) {
        index.error = path + ": " + xml.errorString().toStdString() + " at line " + std::to_string(xml.lineNumber());
        index.panels.clear();
    } else if (!found || index.panels.empty()) {
        index.error = path + ": no QTabWidget named \"panels\" with panel pages";
        index.panels.clear();
    } else {
        std::set<std::string> names;
        for (const auto &p : index.panels) {
            if (!names.insert(p.name).second)
                index.error = path + ": panel " + p.name + " defined twice";
            std::set<std::string> cnames;
            for (const auto &c : p.controls)
                if (c.name.empty() || !cnames.insert(c.name).second)
                    index.error = path + ": control name \"" + c.name + "\" empty or repeated in " + p.name;
        }
        if (!index.error.empty())
            index.panels.clear();
    }
    return index;
}
