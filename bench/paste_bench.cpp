// A long line pasted into a value field that keeps the focus: how soon the paste is shown,
// how busy the program stays afterwards, how fast later clicks and keys are answered, how
// much memory it took, and whether Calculate still reads the whole text.
//
//   paste_bench [--plain | --window] [BYTES...]
//
// Pastes "000…05" of each size (default 1,000,000 and 10,000,000 bytes), each in a process of
// its own so peak memory is its own, into the R field of a small harness: two ValueFields and
// «Изчисли» of the window's size and font, wired through the window's presenter to a
// CalculatorForm. --plain puts bare QLineEdits in the harness, as the window had them;
// --window pastes into the program's own window instead, whatever its fields are. Runs on
// the offscreen platform unless QT_QPA_PLATFORM names another. Exits 1 if a figure misses its goal.
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "form/calculator_form.h"
#include "qt/pelmora_window.h"
#include "qt/value_field.h"
#include "view/presenter.h"

namespace {

using pelmora::qt::ValueField;

constexpr double kShownMs = 1000;         // the paste painted within this
constexpr double kIdleCores = 0.10;       // busy share of one core that counts as idle
constexpr double kClickMs = 100;          // every click answered within this
constexpr double kMemoryPerByte = 20;     // peak memory growth per pasted byte
constexpr double kSettleSeconds = 2;      // from the paste shown to idle
constexpr double kIdleWindowSeconds = 3;  // how long idleness is measured

QElapsedTimer g_clock;
int g_paints = 0;

double NowMs() {
    return static_cast<double>(g_clock.nsecsElapsed()) / 1e6;
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// A line of /proc/self/status in KiB ("VmHWM", "VmRSS").
long StatusKiB(std::string_view key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.size() > key.size() && line.compare(0, key.size(), key) == 0 &&
            line[key.size()] == ':')
            return std::stol(line.substr(key.size() + 1));
    }
    return -1;
}

// Counts paints, so "shown" means painted.
class PaintCounter : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++g_paints;
        return QObject::eventFilter(watched, event);
    }
};

// Runs the event loop until something has been painted again; returns when that was.
double UntilPainted(int paintsBefore) {
    while (g_paints == paintsBefore)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return NowMs();
}

enum class Subject { ValueFields, PlainLineEdits, Window };

// What the paste goes into: the R and L fields of variant 0 and «Изчисли», over a form.
struct Scene {
    explicit Scene(Subject subject) : form([] { return pelmora::number::NumberFormat{}; }) {
        if (subject == Subject::Window) {
            window =
                std::make_unique<pelmora::qt::PelmoraWindow>(form, [](QWidget*, const QString&) {});
            fields = {window->findChild<QLineEdit*>(QStringLiteral("Text2_0")),
                      window->findChild<QLineEdit*>(QStringLiteral("Text2_1"))};
            calculate = window->findChild<QPushButton*>(QStringLiteral("Command1_0"));
            return;
        }
        // The harness: two fields and the button wired to the window's own presenter, without
        // the rest of the window.
        window = std::make_unique<QWidget>();
        window->resize(260, 90);
        QFont font(QStringLiteral("Times New Roman"), 12);
        font.setStyleHint(QFont::Serif);
        window->setFont(font);
        for (int n = 0; n < 2; ++n) {
            QLineEdit* field = subject == Subject::PlainLineEdits ? new QLineEdit(window.get())
                                                                  : new ValueField(window.get());
            field->setMaxLength(std::numeric_limits<int>::max());
            field->setGeometry(20 + 70 * n, 20, 65, 27);
            QObject::connect(
                field, &QLineEdit::textChanged, window.get(), [this, n](const QString& text) {
                    const QByteArray utf8 = text.toUtf8();
                    presenter->fieldTextChanged(
                        n,
                        std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
                });
            fields.push_back(field);
        }
        calculate = new QPushButton(QStringLiteral("Изчисли"), window.get());
        calculate->setGeometry(160, 20, 80, 27);
        QObject::connect(calculate, &QPushButton::clicked, window.get(),
                         [this] { presenter->buttonPressed(0); });
        surface.fields = fields;
        presenter = std::make_unique<pelmora::view::Presenter>(form, surface);
    }

    // Shows the harness's two fields; the rest of the form has no control here.
    struct TwoFields : pelmora::view::Surface {
        std::vector<QLineEdit*> fields;
        void showFieldText(int field, std::string_view utf8Text) override {
            if (field >= static_cast<int>(fields.size())) return;
            QLineEdit* edit = fields[static_cast<std::size_t>(field)];
            edit->setText(
                QString::fromUtf8(utf8Text.data(), static_cast<qsizetype>(utf8Text.size())));
            edit->setCursorPosition(0);
        }
        void showFieldLocked(int, bool) override {}
        void showSelectedVariant(int) override {}
        void reportFailure(std::string_view) override {}
        void announce(std::string_view) override {}
    };

    pelmora::form::CalculatorForm form;
    std::unique_ptr<QWidget> window;
    std::vector<QLineEdit*> fields;
    QPushButton* calculate = nullptr;
    TwoFields surface;
    std::unique_ptr<pelmora::view::Presenter> presenter;
};

struct Verdicts {
    bool allMet = true;
    void line(const char* what, double value, const char* unit, double goal) {
        const bool met = value <= goal;
        allMet = allMet && met;
        std::printf("  %-38s %10.1f %-4s (goal <= %g)%s\n", what, value, unit, goal,
                    met ? "" : "  MISSED");
    }
    void info(const char* what, double value, const char* unit) {
        std::printf("  %-38s %10.1f %s\n", what, value, unit);
    }
};

// The latency of one input, from the moment it is due to the end of the paint it causes.
// The input is sent from a timer, so time the event loop spends busy before it counts too.
double Answer(int dueInMs, const std::function<void()>& input) {
    const double due = NowMs() + dueInMs;
    double done = -1;
    QTimer::singleShot(dueInMs, Qt::PreciseTimer, [&] {
        const int paints = g_paints;
        input();
        done = UntilPainted(paints);
    });
    while (done < 0)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return done - due;
}

int Measure(long bytes, Subject subject) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "paste_bench";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    if (subject == Subject::Window) pelmora::qt::ApplyClassicLook(app);
    PaintCounter paints;
    app.installEventFilter(&paints);
    Scene scene(subject);
    QLineEdit* field = scene.fields[0];
    QLineEdit* other = scene.fields[1];
    if (!field || !other || !scene.calculate) {
        std::fprintf(stderr, "paste_bench: the window has no Text2_0, Text2_1 or Command1_0\n");
        return 2;
    }
    scene.window->show();
    QApplication::setActiveWindow(scene.window.get());
    scene.window->activateWindow();
    if (!QTest::qWaitForWindowActive(scene.window.get())) {
        std::fprintf(stderr, "paste_bench: the window did not become active\n");
        return 2;
    }
    QTest::mouseClick(field, Qt::LeftButton);
    {
        // Leading zeros and a 5: the value reads as 5 only if every character is read.
        QString line(static_cast<qsizetype>(bytes), u'0');
        line[line.size() - 1] = u'5';
        QGuiApplication::clipboard()->setText(line);
    }
    QTest::qWait(300);

    constexpr const char* kSubjects[] = {"ValueField harness", "QLineEdit harness",
                                         "the program's window"};
    std::printf("%s, field %s, %ld bytes pasted, platform %s\n",
                kSubjects[static_cast<int>(subject)], field->metaObject()->className(), bytes,
                qPrintable(QGuiApplication::platformName()));
    Verdicts verdicts;
    const long peakBefore = StatusKiB("VmHWM");
    g_clock.start();

    // The paste, from the key to the field painted.
    const double pasteCpu = CpuSeconds();
    const int paintsBefore = g_paints;
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    const double shownMs = UntilPainted(paintsBefore);
    verdicts.line("paste shown", shownMs, "ms", kShownMs);
    verdicts.info("  CPU time until shown", (CpuSeconds() - pasteCpu) * 1000, "ms");
    const bool wholeText =
        field->text().size() == bytes &&
        scene.form.state().fields[0].text.size() == static_cast<std::size_t>(bytes);

    // Idle: after settling, the program must hardly use the processor while the caret blinks.
    QTest::qWait(static_cast<int>(kSettleSeconds * 1000 - (NowMs() - shownMs)));
    const double idleCpu = CpuSeconds();
    const double idleStart = NowMs();
    const int idlePaints = g_paints;
    QTest::qWait(static_cast<int>(kIdleWindowSeconds * 1000));
    const double idleShare = (CpuSeconds() - idleCpu) / ((NowMs() - idleStart) / 1000);
    verdicts.line("busy, 2-5 s after shown", idleShare * 100, "%", kIdleCores * 100);
    verdicts.info("  paints in those 3 s", g_paints - idlePaints, "");

    // Clicks into the long field and away from it, at different moments of the blink.
    struct Click {
        QLineEdit* target;
        int x;
    };
    const Click clicks[] = {{field, 10}, {field, 50}, {other, 20}, {field, 30},
                            {field, 60}, {other, 40}, {field, 5},  {field, 45}};
    double slowestClick = 0;
    int due = 37;
    for (const Click& click : clicks) {
        slowestClick =
            std::max(slowestClick, Answer(due, [&] {
                         QTest::mouseClick(click.target, Qt::LeftButton, {}, QPoint(click.x, 13));
                     }));
        due = (due + 149) % 500;
    }
    verdicts.line("slowest of 8 clicks", slowestClick, "ms", kClickMs);

    // Keys over the whole text, for the record; they leave the text as it was.
    struct Key {
        const char* what;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    };
    const Key keys[] = {{"End", Qt::Key_End, {}},
                        {"Home", Qt::Key_Home, {}},
                        {"Right", Qt::Key_Right, {}},
                        {"Ctrl+A", Qt::Key_A, Qt::ControlModifier},
                        {"Ctrl+C", Qt::Key_C, Qt::ControlModifier},
                        {"Ctrl+V over all of it", Qt::Key_V, Qt::ControlModifier},
                        {"1 typed at the end", Qt::Key_1, {}},
                        {"Ctrl+Z, takes the 1 back", Qt::Key_Z, Qt::ControlModifier}};
    for (const Key& key : keys) {
        char label[64];
        std::snprintf(label, sizeof label, "key %s", key.what);
        verdicts.info(label, Answer(50, [&] { QTest::keyClick(field, key.key, key.modifiers); }),
                      "ms");
    }
    const bool copiedWhole = QGuiApplication::clipboard()->text().size() == bytes;

    // Calculate with L = 10: R reads as 5 only from the whole text.
    QTest::mouseClick(other, Qt::LeftButton);
    QTest::keyClicks(other, QStringLiteral("10"));
    verdicts.info("Calculate, click to painted",
                  Answer(50, [&] { QTest::mouseClick(scene.calculate, Qt::LeftButton); }), "ms");
    const bool calculated = field->text() == QStringLiteral("5.000");

    const long peakAfter = StatusKiB("VmHWM");
    verdicts.line("peak memory growth per pasted byte",
                  static_cast<double>(peakAfter - peakBefore) * 1024 / static_cast<double>(bytes),
                  "B", kMemoryPerByte);
    verdicts.info("  peak memory before the paste", static_cast<double>(peakBefore) / 1024, "MiB");
    verdicts.info("  peak memory after", static_cast<double>(peakAfter) / 1024, "MiB");
    std::printf(
        "  field and model hold the whole text: %s; Ctrl+C copied it: %s;\n"
        "  Calculate read it (R shows 5.000): %s\n",
        wholeText ? "yes" : "NO", copiedWhole ? "yes" : "NO", calculated ? "yes" : "NO");
    return verdicts.allMet && wholeText && copiedWhole && calculated ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Subject subject = Subject::ValueFields;
    QStringList flags;
    std::vector<long> sizes;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--plain" || arg == "--window") {
            subject = arg == "--plain" ? Subject::PlainLineEdits : Subject::Window;
            flags << QString::fromLatin1(argv[i]);
        } else {
            sizes.push_back(std::atol(argv[i]));
        }
    }
    if (sizes.size() == 1) return Measure(sizes[0], subject);
    if (sizes.empty()) sizes = {1'000'000, 10'000'000};

    // One process per size: peak memory (VmHWM) never goes down within a process.
    QCoreApplication app(argc, argv);
    int status = 0;
    for (const long size : sizes) {
        const QStringList arguments = flags + QStringList{QString::number(size)};
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), arguments);
        child.waitForFinished(-1);
        if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) status = 1;
    }
    return status;
}
