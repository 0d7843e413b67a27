#include "mailmerge/rtf/RtfError.h"

RtfError::RtfError(qsizetype offset, const QString &reason)
    : VarnelError(QStringLiteral("Invalid RTF at byte offset %1: %2").arg(offset).arg(reason)),
      m_offset(offset), m_reason(reason)
{
}
