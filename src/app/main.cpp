// Vaskel: the main window is the program; everything starts from its load.

#include "core/MsgBox.h"
#include "core/Program.h"
#include "mainwindow/MainApplication.h"
#include "mainwindow/MainWindow.h"
#include "settings/AppContext.h"
#include "shell/SingleInstance.h"

#include <QApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Global because a signal handler can reach nothing else.
int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &c, 1);
}

// A termination request (log-off, shutdown, kill) ends the program as its own end command
// does: the tray icon goes, the window settings are saved.
void EndOnSignals(MainWindow& w) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &w);
    QObject::connect(notifier, &QSocketNotifier::activated, &w, [&w, notifier] {
        char c;
        [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[0], &c, 1);
        notifier->setEnabled(false);
        w.endProgram();
    });
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    SetUpApplication();
    // The program's folder, clock, settings and options, passed down to every window.
    AppContext app;

    // A second start only brings the running program to the front: two would log the running
    // time twice and write one file at once.
    SingleInstance guard(app.program().folder());
    switch (guard.Claim()) {
    case SingleInstance::ClaimResult::Claimed:
        break;
    case SingleInstance::ClaimResult::Activated:
        return 0;
    case SingleInstance::ClaimResult::RunningUnreachable:
        // Running in another session, whose window this one cannot bring forward.
        MsgBox(QStringLiteral("Vaskelは既に起動しています。"), MsgButtons::OK, MsgIcon::Information,
               QString::fromLatin1(kAppTitle));
        return 0;
    case SingleInstance::ClaimResult::Failed:
        MsgBox(QStringLiteral("Vaskelの二重起動を確認できないため、起動できません。\r\n") +
                   guard.errorText(),
               MsgButtons::OK, MsgIcon::Critical, QString::fromLatin1(kAppTitle));
        return 1;
    }

    SetUpAppearance();
    MainWindow w(app);
    EndOnSignals(w);
    QObject::connect(&guard, &SingleInstance::activationRequested, &w, &MainWindow::restoreWindow);
    // Logging off or shutting down ends a resident program cleanly instead of hiding it.
    QObject::connect(&application, &QGuiApplication::commitDataRequest, &w,
                     [&w](QSessionManager&) { w.endProgram(); });
    if (!w.start())
        return w.startFailed() ? 1 : 0;
    return QApplication::exec();
}
