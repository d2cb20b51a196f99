// Checks the panel resource files of all four programs: PANELS.md agrees
// with each file, and the panels are laid out so that controls and their labels
// do not cover one another.
#include "uirindex.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QTabWidget>
#include <QTextStream>
#include <QUiLoader>
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

const char *const kPrograms[] = {"Veltv61", "VeltTempCompV61", "VeltCalibV61", "QuillonV20"};

// Controls that lie on top of one another on purpose while both are shown:
// the zoom graph stays visible behind the X/Y graph and is raised by z-order.
const std::set<std::string> kStacked = {"P.GraphData1", "P.GraphData2"};

constexpr int kLabelHeight = 16; // the run-time draws a control's label this far above it

std::string SourceFile(const std::string &program, const std::string &file)
{
    const char *dir = std::getenv("VELT_SOURCE_DIR");
    return std::string(dir ? dir : ".") + "/" + program + "/" + file;
}

QApplication &App()
{
    static int argc = 1;
    static char name[] = "panel_files_test";
    static char *argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

// The run-time's own control classes are plain widgets here; only geometry
// and properties matter.
class PlainLoader : public QUiLoader {
public:
    QWidget *createWidget(const QString &className, QWidget *parent, const QString &name) override
    {
        if (className.startsWith(QLatin1String("Rt"))) {
            auto *w = new QWidget(parent);
            w->setObjectName(name);
            return w;
        }
        return QUiLoader::createWidget(className, parent, name);
    }
};

struct MdPanel {
    std::string callback;
    std::map<std::string, std::string> controls; // name -> callback ("" for none)
};

// Reads the per-panel control tables of PANELS.md.
std::map<std::string, MdPanel> ReadPanelsMd(const std::string &path)
{
    std::map<std::string, MdPanel> out;
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return out;
    QTextStream in(&f);
    MdPanel *current = nullptr;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.startsWith("## ")) {
            current = &out[line.mid(3).section(' ', 0, 0).toStdString()];
        } else if (current && line.startsWith("Panel callback: `")) {
            current->callback = line.section('`', 1, 1).toStdString();
        } else if (current && line.startsWith("| ") && !line.startsWith("| control ")) {
            const QStringList cells = line.split('|');
            if (cells.size() < 5)
                continue;
            const QString cb = cells[3].trimmed();
            current->controls[cells[1].trimmed().toStdString()] =
                cb.startsWith('`') ? cb.section('`', 1, 1).toStdString() : std::string();
        }
    }
    return out;
}

class PanelFile : public ::testing::TestWithParam<const char *> {};

// PANELS.md lists every panel, every control and every bound callback.
TEST_P(PanelFile, PanelsMdAgrees)
{
    const std::string prog = GetParam();
    const UirIndex index = ReadUirIndex(SourceFile(prog, prog + ".uir"));
    ASSERT_EQ(index.error, "");
    const auto md = ReadPanelsMd(SourceFile(prog, "PANELS.md"));
    ASSERT_EQ(md.size(), index.panels.size());
    for (const UirPanel &p : index.panels) {
        SCOPED_TRACE(p.name);
        ASSERT_EQ(md.count(p.name), 1u);
        const MdPanel &doc = md.at(p.name);
        EXPECT_TRUE(p.callback.empty() || p.callback == doc.callback) << p.callback;
        std::set<std::string> inFile;
        for (const UirControl &c : p.controls) {
            inFile.insert(c.name);
            ASSERT_EQ(doc.controls.count(c.name), 1u) << c.name << " missing from PANELS.md";
            EXPECT_TRUE(c.callback.empty() || c.callback == doc.controls.at(c.name)) << c.name;
        }
        for (const auto &[name, cb] : doc.controls) {
            EXPECT_EQ(inFile.count(name), 1u) << name << " listed in PANELS.md but not in the file";
            EXPECT_TRUE(cb.empty() || cb.rfind("CBF_", 0) == 0) << name << ": " << cb;
        }
    }
}

bool IsDecoration(const QWidget *w)
{
    return qobject_cast<const QGroupBox *>(w) || QLatin1String(w->metaObject()->className()) == QLatin1String("QFrame");
}

// The area a control takes on its panel, with the label above it.
QRect Footprint(const QWidget *w)
{
    QRect r = w->geometry();
    if (!w->property("label").toString().isEmpty())
        r.setTop(r.top() - kLabelHeight);
    return r;
}

TEST_P(PanelFile, ShownControlsAndLabelsDoNotCoverOneAnother)
{
    App();
    const std::string prog = GetParam();
    QFile f(QString::fromStdString(SourceFile(prog, prog + ".uir")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    PlainLoader loader;
    std::unique_ptr<QWidget> form(loader.load(&f));
    ASSERT_TRUE(form);
    auto *tabs = form->findChild<QTabWidget *>("panels");
    ASSERT_TRUE(tabs);
    for (int t = 0; t < tabs->count(); ++t) {
        QWidget *page = tabs->widget(t);
        const std::string panel = page->objectName().toStdString();
        SCOPED_TRACE(panel);
        std::vector<QWidget *> shown, decorations;
        QRect bounds;
        for (QWidget *w : page->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
            bounds |= w->geometry();
            EXPECT_GE(Footprint(w).top(), 0) << w->objectName().toStdString() << ": label above the panel";
            auto *ring = qobject_cast<QComboBox *>(w);
            EXPECT_TRUE(!ring || !w->property("values").isValid() ||
                        w->property("values").toStringList().size() == ring->count())
                << w->objectName().toStdString();
            if (w->property("hidden").toBool())
                continue;
            (IsDecoration(w) ? decorations : shown).push_back(w);
        }
        if (panel == "P" || panel == "MAINP") {
            EXPECT_LE(bounds.right() + 1 + 8, 1000);
            EXPECT_LE(bounds.bottom() + 1 + 8, 700);
        }
        for (size_t i = 0; i < shown.size(); ++i) {
            const std::string a = panel + "." + shown[i]->objectName().toStdString();
            for (size_t j = i + 1; j < shown.size(); ++j) {
                const std::string b = panel + "." + shown[j]->objectName().toStdString();
                if (kStacked.count(a) && kStacked.count(b))
                    continue;
                EXPECT_FALSE(Footprint(shown[i]).intersects(Footprint(shown[j]))) << a << " covers " << b;
            }
            // A control sits wholly inside a decoration (below its title) or wholly outside it.
            for (QWidget *d : decorations) {
                const QRect inner = d->geometry().adjusted(0, qobject_cast<QGroupBox *>(d) ? 14 : 0, 0, 0);
                const QRect r = Footprint(shown[i]);
                EXPECT_TRUE(!r.intersects(d->geometry()) || d->objectName().startsWith("Logo") || inner.contains(r))
                    << a << " straddles " << d->objectName().toStdString();
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AllPrograms, PanelFile, ::testing::ValuesIn(kPrograms),
                         [](const ::testing::TestParamInfo<const char *> &info) { return std::string(info.param); });

} // namespace
