#include "CommandLineRun.h"

#include "engine/DataTypeTable.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <algorithm>

namespace dorvane::bench {

QString programFolder()
{
    return QCoreApplication::applicationDirPath();
}

void settleDataTypeTable()
{
    const QString path = programFolder() + QStringLiteral("/sys/dtype.dat");
    if (!QFileInfo::exists(path))
        BuildDataTypeTable(path);
    const qint64 age = QFileInfo(path).lastModified().msecsTo(QDateTime::currentDateTime());
    if (age < 2100)
        QThread::msleep(2100 - std::max<qint64>(0, age));
}

CommandLineRun runCommandLine(const QStringList& arguments)
{
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(programFolder() + QStringLiteral("/dorvane"), arguments);
    process.waitForFinished(-1);
    CommandLineRun run;
    run.seconds = timer.nsecsElapsed() / 1e9;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        run.failure = QStringLiteral("dorvane ended with %1: %2")
                          .arg(process.exitCode())
                          .arg(QString::fromUtf8(process.readAllStandardError()).trimmed());
    }
    return run;
}

} // namespace dorvane::bench
