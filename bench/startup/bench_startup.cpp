// Measures the start of the reelwright program as a user meets it: from the
// process start to the launcher text on standard output (window built and
// shown, event loop about to run) and to the main window being viewable on
// the X server. The first start warms the disk cache and is not counted.
// Run under a display (xvfb-run -a). Usage: bench_startup [runs]

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr double GoalMs = 1000.0;

QByteArray xwininfo(const QStringList& arguments)
{
    QProcess info;
    info.start(QStringLiteral("xwininfo"), arguments);
    info.waitForFinished(5000);
    return info.exitCode() == 0 ? info.readAllStandardOutput() : QByteArray();
}

// The program's top-level window (the one carrying its window class) once it
// is mapped; Qt makes a few helper windows with the same title beside it.
bool windowViewable(QByteArray& id)
{
    if (id.isEmpty()) {
        for (const QByteArray& line : xwininfo({QStringLiteral("-root"), QStringLiteral("-tree")}).split('\n')) {
            if (line.contains("(\"reelwright\" \"reelwright\")"))
                id = line.trimmed().split(' ').value(0);
        }
        if (id.isEmpty())
            return false;
    }
    return xwininfo({QStringLiteral("-id"), QString::fromLatin1(id)}).contains("IsViewable");
}

struct Run {
    double textMs = -1;
    double viewableMs = -1;
};

Run startOnce(const QProcessEnvironment& env)
{
    Run run;
    QProcess program;
    program.setProcessEnvironment(env);
    program.setProgram(QStringLiteral(REELWRIGHT_APP_DIR "/reelwright"));
    QByteArray window;
    QElapsedTimer clock;
    clock.start();
    program.start();
    while (program.state() != QProcess::NotRunning && clock.elapsed() < 30000) {
        if (run.textMs < 0) {
            program.waitForReadyRead(1);
            if (program.peek(64).contains("command:close splash screen"))
                run.textMs = clock.nsecsElapsed() / 1e6;
        }
        if (run.textMs >= 0 && windowViewable(window)) {
            run.viewableMs = clock.nsecsElapsed() / 1e6;
            break;
        }
    }
    program.terminate();
    if (!program.waitForFinished(20000))
        program.kill();
    return run;
}

void printFigures(const char* what, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    std::printf("%-36s median %7.1f ms   min %7.1f   max %7.1f\n", what, ms[ms.size() / 2], ms.front(), ms.back());
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = std::max(1, argc > 1 ? std::atoi(argv[1]) : 10);

    // Own folders: no settings of the user's, no running copy in the way.
    QTemporaryDir scratch;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TMPDIR"), scratch.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), scratch.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), scratch.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("ALSOFT_DRIVERS"), QStringLiteral("null"));
    env.remove(QStringLiteral("REELWRIGHT_DEV_ALBUM"));

    const Run warm = startOnce(env);
    if (warm.viewableMs < 0) {
        std::fprintf(stderr, "The program did not show its window (is a display set?)\n");
        return 1;
    }
    std::vector<double> text, viewable;
    for (int i = 0; i < runs; ++i) {
        const Run r = startOnce(env);
        if (r.viewableMs < 0) {
            std::fprintf(stderr, "run %d: no window\n", i + 1);
            return 1;
        }
        text.push_back(r.textMs);
        viewable.push_back(r.viewableMs);
    }
    std::printf("reelwright start-up, %d warm runs (first start %.1f ms not counted)\n", runs, warm.viewableMs);
    printFigures("to \"command:close splash screen\"", text);
    printFigures("to the main window viewable", viewable);
    const double med = [&] {
        auto v = viewable;
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }();
    std::printf("goal: under %.0f ms: %s\n", GoalMs, med < GoalMs ? "met" : "MISSED");
    return 0;
}
