#pragma once

#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

// Runs corvanta_exitprobe (exitprobe.cpp) with these arguments. Empty when it exited with status
// 0 within 2 s of saying it leaves; otherwise what went wrong.
inline QString exitProbeFault(const QStringList &arguments)
{
    QProcess probe;
    probe.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    probe.start(QString::fromUtf8(CORVANTA_EXITPROBE), arguments);
    if (!probe.waitForStarted(5000))
        return QStringLiteral("the probe did not start: ") + probe.errorString();
    // Sanitized builds start slowly; only the time from "exiting" on is measured.
    if (!probe.waitForReadyRead(30000))
        return QStringLiteral("the probe never got to exit");
    QElapsedTimer clock;
    clock.start();
    if (!probe.waitForFinished(2000)) {
        probe.kill();
        probe.waitForFinished(5000);
        return QStringLiteral("still running 2 s after exiting (arguments %1)")
            .arg(arguments.join(u' '));
    }
    if (probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0) {
        return QStringLiteral("ended with %1 %2 after %3 ms (arguments %4)")
            .arg(probe.exitStatus() == QProcess::NormalExit ? u"status" : u"signal")
            .arg(probe.exitCode())
            .arg(clock.elapsed())
            .arg(arguments.join(u' '));
    }
    return {};
}
