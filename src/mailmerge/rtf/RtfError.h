#pragma once

#include "platform/VarnelError.h"

// A malformed RTF stream: the message names the byte offset and the reason, so
// that a bad file can be found and fixed. The loader catches it and falls back
// to plain text; it never reaches the user as it stands.
class RtfError : public VarnelError
{
public:
    RtfError(qsizetype offset, const QString &reason);
    qsizetype offset() const { return m_offset; }
    const QString &reason() const { return m_reason; }

private:
    qsizetype m_offset;
    QString m_reason;
};
