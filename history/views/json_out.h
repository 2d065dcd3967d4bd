#pragma once

#include "common/cp1252.h"

#include <QByteArray>
#include <QByteArrayView>

namespace vantor::history {

// Writes one JSON document from code page 1252 texts and numbers; members are followed by a
// comma, which endObject takes back.
class JsonOut {
public:
    QByteArray bytes;

    void text(QByteArrayView cp1252) {
        bytes += '"';
        for (QChar c : fromCp1252(cp1252)) {
            const char16_t u = c.unicode();
            switch (u) {
            case '"':
                bytes += "\\\"";
                break;
            case '\\':
                bytes += "\\\\";
                break;
            case '\n':
                bytes += "\\n";
                break;
            case '\r':
                bytes += "\\r";
                break;
            case '\t':
                bytes += "\\t";
                break;
            default:
                // The C0 controls must be escaped; DEL and the C1 controls are escaped too, so
                // a tool that prints the text raw cannot be steered by it.
                if (u < 0x20 || (u >= 0x7F && u < 0xA0))
                    bytes +=
                        QByteArray("\\u00") + QByteArray::number(int(u), 16).rightJustified(2, '0');
                else
                    utf8(u);
            }
        }
        bytes += '"';
    }
    // Code page 1252 decodes to the basic plane only: one to three bytes, no surrogates.
    void utf8(char16_t u) {
        if (u < 0x80) {
            bytes += char(u);
        } else if (u < 0x800) {
            bytes += char(0xC0 | (u >> 6));
            bytes += char(0x80 | (u & 0x3F));
        } else {
            bytes += char(0xE0 | (u >> 12));
            bytes += char(0x80 | ((u >> 6) & 0x3F));
            bytes += char(0x80 | (u & 0x3F));
        }
    }
    void key(const char* name) {
        bytes += '"';
        bytes += name;
        bytes += "\":";
    }
    void field(const char* name, QByteArrayView cp1252) {
        key(name);
        text(cp1252);
        bytes += ',';
    }
    void field(const char* name, qint64 value) {
        key(name);
        bytes += QByteArray::number(value);
        bytes += ',';
    }
    // A value already in JSON form: a number with decimals, null.
    void literal(const char* name, const QByteArray& json) {
        key(name);
        bytes += json;
        bytes += ',';
    }
    void flag(const char* name, bool value) {
        key(name);
        bytes += value ? "true," : "false,";
    }
    // Closes an object whose last member left a comma.
    void endObject() {
        bytes.chop(1);
        bytes += '}';
    }
};

} // namespace vantor::history
