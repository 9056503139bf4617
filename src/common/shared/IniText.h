// The one reading of an INI line, for the host's settings and for every file
// the module edits: what the host reads as a section is what an edit finds.
#pragma once

#include <QString>
#include <QStringView>

#include "SharedApi.h"

namespace IniText {

enum class LineKind {
    Blank,
    Comment,  // the first non-blank character is ";" or "#"
    Header,   // "[name]": the name runs from "[" to the first "]"
    Entry,    // "key=value": the key is what comes before the first "="
    Other,    // anything else, "[name" without its "]" included
};

struct Line {
    LineKind kind = LineKind::Blank;
    QString name;       // a header's section or an entry's key, blanks trimmed
    QStringView value;  // an entry's text after "=", as it stands in the line given
};

// The line without its line end.
SHARED_API Line Read(QStringView line);

}  // namespace IniText
