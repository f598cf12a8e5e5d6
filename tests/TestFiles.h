// Test helpers: whole files read and written in one call.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

/// The bytes of a file, or nothing when it cannot be read.
inline QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

/// Writes bytes as the whole file; fails the running test when it cannot.
inline void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}
