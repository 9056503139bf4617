// Checks and rewrites of SQL text before it reaches an engine: one statement
// per call, and the spelling of right() that SQLite accepts.
#include "SqlText.h"

#include <tuple>
#include <utility>
#include <vector>

namespace {

// The blanks both engines skip between tokens; any other character after a
// statement's end is taken for the start of another one.
bool IsSqlBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

bool IsIdentifierChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('.') ||
           c == QLatin1Char('"');
}

// Index just past the literal or quoted name that opens at start; a doubled
// quote mark stays inside it.
qsizetype QuotedEnd(const QString& sql, qsizetype start) {
    const QChar quote = sql[start];
    for (qsizetype i = start + 1; i < sql.size(); ++i) {
        if (sql[i] == quote) {
            if (i + 1 < sql.size() && sql[i + 1] == quote) {
                ++i;
                continue;
            }
            return i + 1;
        }
    }
    return sql.size();
}

// Index just past the comment that opens at start, or start when none does.
qsizetype CommentEnd(const QString& sql, qsizetype start) {
    const QChar c = sql[start];
    const QChar following = start + 1 < sql.size() ? sql[start + 1] : QChar();
    if (c == QLatin1Char('-') && following == QLatin1Char('-')) {
        const qsizetype end = sql.indexOf(QLatin1Char('\n'), start + 2);
        return end < 0 ? sql.size() : end + 1;
    }
    if (c == QLatin1Char('/') && following == QLatin1Char('*')) {
        const qsizetype end = sql.indexOf(QLatin1String("*/"), start + 2);
        return end < 0 ? sql.size() : end + 2;
    }
    return start;
}

bool IsQuote(QChar c) {
    return c == QLatin1Char('\'') || c == QLatin1Char('"');
}

// Index of the literal that follows from after blanks, or -1.
qsizetype LiteralAfter(const QString& sql, qsizetype from) {
    while (from < sql.size() && IsSqlBlank(sql[from].unicode())) {
        ++from;
    }
    return from < sql.size() && sql[from] == QLatin1Char('\'') ? from : -1;
}

// The functions the tail match of the company lists compares through.
bool IsSubstringFunction(QStringView name) {
    for (const char* function : {"mid", "substr", "SUBSTRING"}) {
        if (name.compare(QLatin1String(function), Qt::CaseInsensitive) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

namespace SqlText {

QString FoldLikeOperands(const QString& sql) {
    static const QLatin1String kFold("search_fold(");
    QString out;
    out.reserve(sql.size() + 32);
    // In out: the operand copied last (a name or a call), when nothing followed it.
    qsizetype operandStart = -1;
    qsizetype operandEnd = -1;
    bool tailMatch = false;  // the operand is a substring call, compared by "="
    std::vector<std::pair<qsizetype, bool>> calls;  // per open parenthesis: start, substring
    // Wraps the operand and the literal at sql[literal] into search_fold(),
    // copying sql[from, literal) between them; the index where copying ended.
    const auto fold = [&](qsizetype from, qsizetype literal) {
        const qsizetype literalEnd = QuotedEnd(sql, literal);
        out.insert(operandEnd, QLatin1Char(')'));
        out.insert(operandStart, kFold);
        out += QStringView(sql).mid(from, literal - from);
        out += kFold;
        out += QStringView(sql).mid(literal, literalEnd - literal);
        out += QLatin1Char(')');
        operandStart = -1;
        return literalEnd - 1;
    };
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        const qsizetype skipped = IsQuote(c) ? QuotedEnd(sql, i) : CommentEnd(sql, i);
        if (skipped > i) {
            out += QStringView(sql).mid(i, skipped - i);
            i = skipped - 1;
            operandStart = -1;
            continue;
        }
        if (IsSqlBlank(c.unicode())) {
            out += c;
            continue;
        }
        if (c == QLatin1Char('(')) {
            const bool call = operandStart >= 0 && operandEnd == out.size();
            calls.emplace_back(call ? operandStart : out.size(),
                               call && IsSubstringFunction(QStringView(out).mid(
                                           operandStart, operandEnd - operandStart)));
        } else if (c == QLatin1Char(')') && !calls.empty()) {
            out += c;
            std::tie(operandStart, tailMatch) = calls.back();
            operandEnd = out.size();
            calls.pop_back();
            continue;
        } else if (c == QLatin1Char('=') && tailMatch && operandStart >= 0) {
            if (const qsizetype literal = LiteralAfter(sql, i + 1); literal >= 0) {
                i = fold(i, literal);
                continue;
            }
        }
        if (!IsIdentifierChar(c)) {
            out += c;
            operandStart = -1;
            continue;
        }
        qsizetype end = i;
        while (end < sql.size() && IsIdentifierChar(sql[end]) && !IsQuote(sql[end])) {
            ++end;
        }
        const QStringView word = QStringView(sql).mid(i, end - i);
        if (word.compare(QLatin1String("like"), Qt::CaseInsensitive) == 0 && operandStart >= 0) {
            if (const qsizetype literal = LiteralAfter(sql, end); literal >= 0) {
                i = fold(i, literal);
                continue;
            }
        }
        out += word;
        // "not" in "x not like" leaves x the operand.
        if (word.compare(QLatin1String("not"), Qt::CaseInsensitive) != 0) {
            operandStart = out.size() - word.size();
            operandEnd = out.size();
            tailMatch = false;
        }
        i = end - 1;
    }
    return out;
}

QString AdaptToSqlite(const QString& sql) {
    static const QLatin1String kRight("right");
    QString out;
    out.reserve(sql.size() + 8);
    QChar quote;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (!quote.isNull()) {
            out += c;
            if (c == quote) {
                quote = QChar();
            }
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            out += c;
            continue;
        }
        // Comments are copied as they are: a quote mark in one opens nothing.
        const QChar following = i + 1 < sql.size() ? sql[i + 1] : QChar();
        if ((c == QLatin1Char('-') && following == QLatin1Char('-')) ||
            (c == QLatin1Char('/') && following == QLatin1Char('*'))) {
            const bool line = c == QLatin1Char('-');
            qsizetype end = line ? sql.indexOf(QLatin1Char('\n'), i + 2)
                                 : sql.indexOf(QLatin1String("*/"), i + 2);
            end = end < 0 ? sql.size() : end + (line ? 1 : 2);
            out += QStringView(sql).mid(i, end - i);
            i = end - 1;
            continue;
        }
        const bool wordStart = i == 0 || !IsIdentifierChar(sql[i - 1]);
        if (wordStart &&
            QStringView(sql).mid(i, kRight.size()).compare(kRight, Qt::CaseInsensitive) == 0) {
            qsizetype next = i + kRight.size();
            while (next < sql.size() && sql[next].isSpace()) {
                ++next;
            }
            if (next < sql.size() && sql[next] == QLatin1Char('(')) {
                out += QLatin1String("\"right\"");
                i += kRight.size() - 1;
                continue;
            }
        }
        out += c;
    }
    return out;
}

bool OnlyBlanksOrSeparators(const char* tail) {
    for (; tail != nullptr && *tail != '\0'; ++tail) {
        if (*tail != ';' && !IsSqlBlank(static_cast<unsigned char>(*tail))) {
            return false;
        }
    }
    return true;
}

bool HasSecondStatement(const QString& sql) {
    enum class State { Plain, Quote, Identifier, LineComment, BlockComment };
    State state = State::Plain;
    bool ended = false;
    for (qsizetype i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        // The engines take the text as a C string: they never see past a NUL.
        if (c.isNull()) {
            break;
        }
        const QChar next = i + 1 < sql.size() ? sql[i + 1] : QChar();
        switch (state) {
            case State::Quote:
                if (c == QLatin1Char('\'')) {
                    state = State::Plain;
                }
                continue;
            case State::Identifier:
                if (c == QLatin1Char('"')) {
                    state = State::Plain;
                }
                continue;
            case State::LineComment:
                if (c == QLatin1Char('\n')) {
                    state = State::Plain;
                }
                continue;
            case State::BlockComment:
                if (c == QLatin1Char('*') && next == QLatin1Char('/')) {
                    state = State::Plain;
                    ++i;
                } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
                    // PostgreSQL nests block comments and SQLite does not: the
                    // engines would disagree on where this one ends.
                    return true;
                }
                continue;
            case State::Plain:
                break;
        }
        // The opening pair is passed whole: in "/*/" the comment is still open.
        if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
            state = State::LineComment;
            ++i;
        } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            state = State::BlockComment;
            ++i;
        } else if (ended && c != QLatin1Char(';') && !IsSqlBlank(c.unicode())) {
            return true;
        } else if (c == QLatin1Char(';')) {
            ended = true;
        } else if (c == QLatin1Char('$') || c == QLatin1Char('`') || c == QLatin1Char('[') ||
                   ((c == QLatin1Char('E') || c == QLatin1Char('e')) && next == QLatin1Char('\'') &&
                    (i == 0 || !sql[i - 1].isLetterOrNumber()))) {
            return true;
        } else if (c == QLatin1Char('\'')) {
            state = State::Quote;
        } else if (c == QLatin1Char('"')) {
            state = State::Identifier;
        }
    }
    // A comment left open after the end is no blank either.
    return ended && state == State::BlockComment;
}

QString Literal(QString text) {
    return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QLatin1String("''")) +
           QLatin1Char('\'');
}

}  // namespace SqlText
