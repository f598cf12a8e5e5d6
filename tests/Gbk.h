// Test helper: code page 936 bytes written as readable UTF-8 literals, Gbk("好") == "\xBA\xC3".
#pragma once

#include "platform/CodePage.h"

#include <QByteArray>
#include <QString>

inline AnsiString Gbk(const char* utf8) {
    return CodePage::Narrow(QString::fromUtf8(utf8));
}

/// Bytes as hex for failure messages, "BA C3 68".
inline QByteArray Hex(const AnsiString& s) {
    return QByteArray(s.data(), qsizetype(s.size())).toHex(' ').toUpper();
}
