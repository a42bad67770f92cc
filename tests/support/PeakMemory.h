#pragma once

#include <QFile>
#include <QList>

// The peak memory of this process (Linux), for the tests and benchmarks that
// hold a reader to a bound.

// Resets the peak; false where that cannot be done.
inline bool resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

// The peak since the last reset, in kB; -1 if unknown.
inline qint64 peakKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &field : status.readAll().split('\n')) {
        if (field.startsWith("VmHWM:"))
            return field.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}
