#include "tour.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>
#include <QTimer>
#include <deque>
#include <functional>
#include <iostream>

#include "host_window.h"
#include "modal_guard.h"
#include "nemro/catalogue.h"
#include "nemro/error.h"
#include "nemro/formula_set.h"
#ifdef NEMRO_HAVE_ARGUMENT_LISTS
#include <QPlainTextEdit>
#include <QTreeWidget>

#include "nemro/argument_set.h"
#endif

namespace nemro::demo {

namespace {

QWidget* modal() {
    return QApplication::activeModalWidget();
}

bool showing(const char* objectName) {
    QWidget* w = modal();
    return w && w->isVisible() && w->objectName() == objectName;
}

bool showingMessage() {
    return qobject_cast<QMessageBox*>(modal()) != nullptr;
}

template <typename T>
T* child(const QString& name) {
    QWidget* w = modal();
    return w ? w->findChild<T*>(name) : nullptr;
}

// Steps run one after another from a timer; each waits until its dialog is up. A step
// that opens a modal dialog blocks in it while the following steps go on.
class Script {
  public:
    explicit Script(QString directory, int firstShot = 1)
        : dir_(std::move(directory)), shots_(firstShot - 1) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { tick(); });
        timer_.start();
    }

    void add(std::string what, std::function<bool()> ready, std::function<void()> act) {
        steps_.push_back({std::move(what), std::move(ready), std::move(act)});
    }

    void shot(const QString& name) {
        if (QWidget* w = modal()) shot(*w, name);
    }

    void shot(QWidget& window, const QString& name) {
        QWidget* w = &window;
        const QString file =
            QDir(dir_).filePath(QString("%1-%2.png").arg(++shots_, 2, 10, QChar('0')).arg(name));
        if (!framed(*w).save(file)) failed("cannot write " + file.toStdString());
        std::cout << "tour: " << file.toStdString() << std::endl;
    }

    void failed(const std::string& why) {
        if (failure_.empty()) failure_ = why;
        steps_.clear();
        // Close whatever is open so that the exchange unwinds.
        QTimer::singleShot(0, [] {
            while (QWidget* w = modal()) closeModal(*w);
        });
    }

    // Offscreen windows have no frame: the caption is drawn above the window's picture.
    static QPixmap framed(QWidget& w) {
        const QPixmap body = w.grab();
        const int bar = 24;
        // At a scale factor the picture has as many pixels a point as the window.
        const qreal dpr = body.devicePixelRatio();
        QPixmap picture(body.width(), body.height() + qRound(bar * dpr));
        picture.setDevicePixelRatio(dpr);
        picture.fill(QColor(0xd8, 0xdc, 0xe2));
        QPainter p(&picture);
        p.setFont(w.font());
        p.drawText(QRect(8, 0, w.width() - 16, bar), Qt::AlignVCenter | Qt::AlignLeft,
                   w.windowTitle());
        p.drawPixmap(0, bar, body);
        return picture;
    }

    bool ok() const { return failure_.empty(); }
    const std::string& failure() const { return failure_; }
    bool done() const { return steps_.empty(); }

  private:
    struct Step {
        std::string what;
        std::function<bool()> ready;
        std::function<void()> act;
    };

    void tick() {
        if (steps_.empty()) return;
        if (!steps_.front().ready()) {
            if (++waited_ > 1000) failed("gave up waiting: " + steps_.front().what);
            return;
        }
        waited_ = 0;
        Step step = steps_.front();
        steps_.pop_front();
        step.act();
    }

    QString dir_;
    QTimer timer_;
    std::deque<Step> steps_;
    int shots_;
    int waited_ = 0;
    std::string failure_;
};

struct Choice {
    int category = -1;
    int function = -1;
    std::string name;
    int arguments = -1;
};

// Scans the chooser for functions by argument count.
struct Catalogue {
    Choice few, many, inner;
    Choice outer;   // IF when the catalogue has it: any value may be nested in its branches
    Choice nested;  // a short built-in whose result suits any branch

    static int nestedRank(const std::string& name) {
        const char* order[] = {"LEN", "LEFT", "INT", "ROUND"};
        for (int i = 0; i < 4; ++i)
            if (name == order[i]) return i;
        return 4;
    }

    void scan() {
        auto* categories = child<QListWidget>("lstFormulaCategory");
        auto* functions = child<QListWidget>("lstFormulaName");
        if (!categories || !functions) return;
        for (int c = 0; c < categories->count(); ++c) {
            categories->setCurrentRow(c);
            for (int f = 0; f < functions->count(); ++f) {
                Choice ch{c, f, functions->item(f)->text().toStdString(), -1};
                try {
                    if (!CheckArgNum(ch.name)) continue;
                    ch.arguments = getArgumentCount(ch.name);
                } catch (const NemroError&) {
                    continue;
                }
                if (ch.arguments < 1) continue;
                if (ch.arguments >= 2 && (few.arguments < 0 || ch.arguments < few.arguments))
                    few = ch;
                if (ch.arguments > many.arguments) many = ch;
                if (ch.arguments <= 2 && inner.arguments < 0 && ch.name != few.name) inner = ch;
                if (ch.name == "IF" && ch.arguments == 3) outer = ch;
                for (const char* name : {"LEN", "LEFT", "INT", "ROUND"}) {
                    if (ch.name == name &&
                        (nested.arguments < 0 || nestedRank(name) < nestedRank(nested.name)))
                        nested = ch;
                }
            }
        }
        categories->setCurrentRow(0);
    }
};

void choose(const Choice& ch) {
    child<QListWidget>("lstFormulaCategory")->setCurrentRow(ch.category);
    child<QListWidget>("lstFormulaName")->setCurrentRow(ch.function);
}

void click(const char* name) {
    if (auto* b = child<QAbstractButton>(name)) b->click();
}

// For a click that shows a message box: the box's modal loop must not run inside the
// script's own tick, which would then never come again.
void clickLater(const char* name) {
    QTimer::singleShot(0, [name] { click(name); });
}

// Focus as the user gives it: the window must be the active one for the field to get
// its focus event.
void focusField(int row) {
    QWidget* w = modal();
    if (!w) return;
    QApplication::setActiveWindow(w);
    if (auto* field = w->findChild<QLineEdit*>(QString("txtArgumentValue%1").arg(row)))
        field->setFocus();
}

// An argument text the engine accepts for the argument's data type.
std::string sampleFor(const std::string& function, int row) {
    std::string type;
    try {
        type = getArgumentPara(function, "Datatype", static_cast<std::int16_t>(row));
    } catch (const NemroError&) {
    }
    if (type == "String") return "\"ab\"";
    if (type == "Boolean") return "1>0";
    return "1";
}

void fill(const std::string& function, int from, int count) {
    for (int i = from; i <= count; ++i) {
        if (auto* field = child<QLineEdit>(QString("txtArgumentValue%1").arg(i)))
            field->setText(QString::fromStdString(sampleFor(function, i)));
    }
}

void setField(int row, const std::string& text) {
    if (auto* field = child<QLineEdit>(QString("txtArgumentValue%1").arg(row)))
        field->setText(QString::fromStdString(text));
}

void search(const char* text) {
    if (auto* field = child<QLineEdit>("txtSearch")) field->setText(QString::fromUtf8(text));
}

// The modern chooser's help follows the selection after a pause in typing: a picture
// waits until it shows the selected function: its first line is the function's syntax,
// NAME(...), or its name.
bool helpFollowsSelection() {
    auto* list = child<QAbstractItemView>("lstFormulaName");
    auto* help = child<QTextEdit>("txtFormulaHelp");
    if (!list || !help) return false;
    const QString name = list->currentIndex().data().toString().section("  ", 0, 0);
    const QString first = help->toPlainText().section('\n', 0, 0);
    return name.isEmpty() || first == name || first.startsWith(name + "(");
}

// The modern style: searching by pinyin initials, the recent list, and the chooser at
// 200 % in a second run of the tour under QT_SCALE_FACTOR=2.
void addModernTour(Script& s, bool scaledOnly) {
    auto chooser = [] { return showing("frmModernChooser") && helpFollowsSelection(); };
    auto arguments = [] { return showing("frmModernArguments"); };
    // The values show once typing has paused.
    static QElapsedTimer typed;
    const auto paused = [arguments] {
        return arguments() && typed.isValid() && typed.elapsed() > 400;
    };
    if (scaledOnly) {
        s.add("modern chooser at 200 %", chooser, [] { search("sswr"); });
        s.add("modern chooser at 200 % searched", chooser, [&s] {
            s.shot("modern-chooser-200pct");
            click("cmdOK");
        });
        s.add("modern arguments at 200 %", arguments, [] {
            setField(1, "A1");
            setField(2, "2");
            typed.start();
        });
        s.add("modern values at 200 %", paused, [&s] {
            s.shot("modern-arguments-200pct");
            click("cmdCancel");
        });
        return;
    }
    s.add("modern chooser", chooser, [&s] {
        s.shot("modern-chooser");
        search("sswr");
    });
    s.add("modern search by initials", chooser, [&s] {
        s.shot("modern-search-pinyin-initials");
        search("文本");
    });
    s.add("modern search by meaning", chooser, [&s] {
        s.shot("modern-search-meaning");
        search("ＲＯＵ");
    });
    s.add("modern search in full width", chooser, [&s] {
        s.shot("modern-search-full-width");
        click("cmdOK");
    });
    s.add("modern arguments", arguments, [] {
        setField(1, "");
        typed.start();
    });
    s.add("modern arguments inline message", paused, [&s] {
        s.shot("modern-arguments-inline-message");
        click("cmdFormula2");
    });
    s.add("modern nested chooser", chooser, [] { search("int"); });
    s.add("modern nested chooser searched", chooser, [&s] {
        s.shot("modern-nested-chooser");
        click("cmdOK");
    });
    s.add("modern nested arguments", arguments, [] {
        setField(1, "2.5");
        typed.start();
    });
    s.add("modern nesting path", paused, [&s] {
        s.shot("modern-arguments-nesting-path");
        click("cmdOK");
    });
    s.add("modern outer", arguments, [] {
        setField(1, "A1");  // a sample value of the host's
        typed.start();
    });
    s.add("modern outer values", paused, [&s] {
        s.shot("modern-arguments-live-values");
        click("cmdOK");
    });
    s.add("modern recent", chooser, [&s] {
        s.shot("modern-recent");
        search("pjz");
        click("cmdOK");
    });
    s.add("modern long optional list", arguments, [] {
        setField(1, "1");
        setField(2, "2");
        typed.start();
    });
    s.add("modern optional rows", paused, [&s] {
        s.shot("modern-arguments-optional-rows");
        click("cmdOK");
    });
}

}  // namespace

int runTour(const QString& directory, bool scaledOnly) {
    QDir().mkpath(directory);
    Script s(directory, scaledOnly ? 90 : 1);
    // A step that waits in an unexpected message box would never come back.
    const ModalGuard guard(5, [&](const std::string& text) { s.failed("left open: " + text); });
    if (scaledOnly) {
        addModernTour(s, true);
        CFormulaSet service;
        service.setDialogStyle(DialogStyle::Modern);
        service.setSettingsScope("NemroFormulaSet", "tour");
        service.setSampleValues(HostWindow::sampleValues());
        service.setFormula();
        return s.ok() ? 0 : (std::cerr << "tour failed: " << s.failure() << std::endl, 1);
    }
    Catalogue cat;
    auto chooser = [] { return showing("frmFormulaSet"); };
    auto arguments = [] { return showing("frmArgumentSet"); };

    // 1. Browsing the chooser.
    s.add("chooser", chooser, [&] {
        s.shot("chooser-first-category");
        auto* categories = child<QListWidget>("lstFormulaCategory");
        for (int c = 1; c < std::min(categories->count(), 4); ++c) {
            categories->setCurrentRow(c);
            s.shot(QString("chooser-category-%1").arg(c + 1));
        }
        cat.scan();
        click("cmdCancel");
    });
    // 2. A function with few arguments, and a focused description.
    s.add("few", chooser, [&] {
        if (cat.few.arguments < 0) return s.failed("no function with two or more arguments");
        choose(cat.few);
        s.shot("chooser-few-arguments");
        click("cmdOK");
    });
    s.add("few dialog", arguments, [&] {
        s.shot("arguments-few");
        focusField(2);
        s.shot("arguments-description");
        click("cmdCancel");
    });
    // 3. A function with many arguments, scrolled.
    s.add("many", chooser, [&] {
        choose(cat.many);
        click("cmdOK");
    });
    s.add("many dialog", arguments, [&] {
        s.shot("arguments-many");
        if (auto* bar = child<QScrollBar>("Picture1VScroll")) {
            bar->triggerAction(QAbstractSlider::SliderToMaximum);
            s.shot("arguments-many-scrolled");
        }
        click("cmdCancel");
    });
    // 4. A complete exchange: fill, a check message, nest a second function, OK twice.
    auto outerChoice = [&]() -> const Choice& {
        return cat.outer.arguments > 0 ? cat.outer : cat.few;
    };
    auto nestedChoice = [&]() -> const Choice& {
        return cat.nested.arguments > 0 ? cat.nested
                                        : (cat.inner.arguments > 0 ? cat.inner : cat.few);
    };
    s.add("outer", chooser, [&] {
        choose(outerChoice());
        click("cmdOK");
    });
    s.add("outer dialog", arguments, [&] {
        const Choice& outer = outerChoice();
        fill(outer.name, 1, outer.arguments);
        if (outer.name == "IF") setField(1, "1>0");
        // A range reference is not formula text here: the check says so.
        setField(2, "A1:B2");
        s.shot("exchange-outer-filled");
        clickLater("cmdOK");
    });
    s.add("check message", showingMessage, [&] {
        s.shot("exchange-check-message");
        static_cast<QMessageBox*>(modal())->button(QMessageBox::Ok)->click();
    });
    s.add("nest", arguments, [&] {
        setField(2, "");
        click("cmdFormula2");
    });
    s.add("nested chooser", chooser, [&] {
        choose(nestedChoice());
        s.shot("exchange-nested-chooser");
        click("cmdOK");
    });
    s.add("nested dialog", arguments, [&] {
        const Choice& nested = nestedChoice();
        fill(nested.name, 1, nested.arguments);
        focusField(1);
        s.shot("exchange-nested-filled");
        click("cmdOK");
    });
    s.add("outer restored", arguments, [&] {
        s.shot("exchange-outer-restored");
        click("cmdOK");
    });
    // 5. Re-editing the result.
    s.add("re-edit", arguments, [&] {
        s.shot("re-edit");
        click("cmdOK");
    });

#ifdef NEMRO_HAVE_ARGUMENT_LISTS
    // 6. The argument list editor: a list handed in, an entry added, one clicked.
    s.add(
        "argument list", [] { return showing("frmArgumentSet1"); },
        [&] {
            s.shot("argument-list");
            child<QLineEdit>("txtArgName")->setText("DAYS");
            child<QLineEdit>("txtArgValue")->setText("30");
            child<QPlainTextEdit>("txtArgDesc")->setPlainText("账期天数");
            click("cmdNew");
            if (auto* lv = child<QTreeWidget>("lvArgument")) {
                lv->setCurrentItem(lv->topLevelItem(1));
                emit lv->itemClicked(lv->topLevelItem(1), 0);
            }
            s.shot("argument-list-clicked");
            click("cmdExit");
        });
#endif

    CFormulaSet service;
    std::string composed;
    try {
        for (int call = 0; call < 4 && s.ok(); ++call) composed = service.setFormula();
        if (s.ok() && !service.isCancel()) {
            // The re-edit goes through the demo host's window, as a click on its fx does.
            HostWindow host;
            host.formulaField()->setText(QString::fromStdString(composed));
            host.show();
            host.editFormula();
            composed = host.formulaField()->text().toStdString();
            s.shot(host, "host-after-re-edit");
        }
#ifdef NEMRO_HAVE_ARGUMENT_LISTS
        if (s.ok()) {
            const std::string list = CArgumentSet().SetArgument(
                "RATE\x0e"
                "0.05\x0e"
                "增值税税率\x0f"
                "BASE\x0e"
                "1000\x0e"
                "计税基数（元）");
            std::cout << "SetArgument: " << HostWindow::readableArgumentList(list).toStdString()
                      << std::endl;
        }
#endif
        if (s.ok()) {
            addModernTour(s, false);
            CFormulaSet modern;
            modern.setDialogStyle(DialogStyle::Modern);
            modern.setSettingsScope("NemroFormulaSet", "tour");
            modern.clearRecentFunctions();
            modern.setSampleValues(HostWindow::sampleValues());
            for (int call = 0; call < 2 && s.ok(); ++call)
                std::cout << "modern: " << modern.setFormula() << std::endl;
        }
    } catch (const NemroError& e) {
        s.failed(e.description() + " (" + e.source() + ")");
    }
    // Anything left (an unexpected message, say) is shown in the screenshots.
    if (s.ok() && !s.done()) s.failed("the exchange ended before the tour");
    if (!s.ok()) {
        std::cerr << "tour failed: " << s.failure() << std::endl;
        return 1;
    }
    std::cout << composed << std::endl;
    return 0;
}

}  // namespace nemro::demo
