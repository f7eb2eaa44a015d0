// What every benchmark program does around its benchmarks.
#pragma once

#include "TestSupport.h"
#include "core/Program.h"
#include "settings/SettingsStore.h"

#include <QString>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace bench_detail {
inline QtMessageHandler g_nextHandler = nullptr;
inline void DropSizeHintWarning(QtMsgType type, const QMessageLogContext& context,
                                const QString& msg) {
    if (type == QtWarningMsg &&
        msg == QLatin1String("This plugin does not support propagateSizeHints()"))
        return;
    g_nextHandler(type, context, msg);
}
} // namespace bench_detail

// The offscreen platform warns about size hints for every window it shows; hundreds of copies
// of that one line would bury the figures. Every other message passes on.
inline void QuietSizeHintWarnings() {
    bench_detail::g_nextHandler = qInstallMessageHandler(bench_detail::DropSizeHintWarning);
}

// Every message box recorded: a failure must be seen, not wait for a click. (Each benchmark's
// program keeps its settings in a folder of its own.)
struct BenchSession {
    MsgRecorder msgs;
};

// Runs the registered benchmarks. A message box shown meanwhile (recorded, so that it does not
// wait for a click) means a failed action: it is printed and the program fails.
inline int RunBenchmarks(int& argc, char** argv, const MsgRecorder& msgs) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const MsgRecord& m : msgs.messages)
        std::fprintf(stderr, "message: %s\n", qPrintable(m.text));
    return msgs.messages.empty() ? 0 : 1;
}
