// The command interpreter. A command's shape (its fixed text) is parsed once into a plan: either
// a call of a registered procedure or an ad-hoc statement translated from the original server's
// dialect into the backend's. Values are bound into the plan on every run, never pasted.

#include "labdb/session.h"

#include "labdb/procedures.h"
#include "labdb/schema.h"

#include <cctype>
#include <map>
#include <optional>
#include <set>
#include <variant>

namespace labdb {

namespace {

enum class Tok { Ident, Number, Quoted, BareValue, Bracketed, DoubleQuoted, Punct, Space };

struct Token {
    Tok kind;
    std::string text;             // identifier / number / punctuation as written
    std::vector<std::variant<std::string, std::size_t>> parts; // Quoted: fixed runs and value indexes
    std::size_t valueIndex = 0;   // BareValue
};

bool identStart(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == '#' || c == '@';
}
bool identChar(char c)
{
    return identStart(c) || std::isdigit(static_cast<unsigned char>(c)) || c == '$';
}

std::vector<Token> lex(const std::string &shape)
{
    std::vector<Token> out;
    std::size_t i = 0;
    std::size_t valueIndex = 0;
    const std::size_t n = shape.size();
    while (i < n) {
        const char c = shape[i];
        if (c == CommandText::kMarker) {
            Token t{Tok::BareValue, {}, {}, valueIndex++};
            out.push_back(std::move(t));
            ++i;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            while (i < n && std::isspace(static_cast<unsigned char>(shape[i])))
                ++i;
            out.push_back({Tok::Space, " ", {}, 0});
        } else if (c == '-' && i + 1 < n && shape[i + 1] == '-') {
            while (i < n && shape[i] != '\n')
                ++i;
        } else if (c == '\'') {
            Token t{Tok::Quoted, {}, {}, 0};
            std::string run;
            ++i;
            bool closed = false;
            while (i < n) {
                if (shape[i] == '\'') {
                    if (i + 1 < n && shape[i + 1] == '\'') { // '' in fixed text
                        run.push_back('\'');
                        i += 2;
                        continue;
                    }
                    closed = true;
                    ++i;
                    break;
                }
                if (shape[i] == CommandText::kMarker) {
                    if (!run.empty())
                        t.parts.emplace_back(std::move(run));
                    run.clear();
                    t.parts.emplace_back(valueIndex++);
                } else {
                    run.push_back(shape[i]);
                }
                ++i;
            }
            if (!closed)
                throw DbError("Unclosed quotation mark after the character string.", DbError::Kind::Syntax);
            if (!run.empty())
                t.parts.emplace_back(std::move(run));
            out.push_back(std::move(t));
        } else if (c == '[' || c == '"') {
            const char close = c == '[' ? ']' : '"';
            const std::size_t end = shape.find(close, i + 1);
            if (end == std::string::npos)
                throw DbError("Unclosed quoted identifier.", DbError::Kind::Syntax);
            // A quote inside a name was taken for a quoted value; inside the name it would not
            // be bound, and every value after it would go to the wrong place.
            if (shape.find(CommandText::kMarker, i + 1) < end)
                throw DbError("Incorrect syntax near " + shape.substr(i, 1) + ": a quoted name cannot hold a quotation mark.",
                              DbError::Kind::Syntax);
            out.push_back({c == '[' ? Tok::Bracketed : Tok::DoubleQuoted, shape.substr(i + 1, end - i - 1), {}, 0});
            i = end + 1;
        } else if (identStart(c)) {
            const std::size_t start = i;
            while (i < n && identChar(shape[i]))
                ++i;
            out.push_back({Tok::Ident, shape.substr(start, i - start), {}, 0});
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            const std::size_t start = i;
            while (i < n && (std::isdigit(static_cast<unsigned char>(shape[i])) || shape[i] == '.'))
                ++i;
            out.push_back({Tok::Number, shape.substr(start, i - start), {}, 0});
        } else {
            out.push_back({Tok::Punct, std::string(1, c), {}, 0});
            ++i;
        }
    }
    // Trailing blanks and semicolons end a batch of one statement.
    while (!out.empty() && (out.back().kind == Tok::Space || (out.back().kind == Tok::Punct && out.back().text == ";")))
        out.pop_back();
    return out;
}

// How one bound value is made from the command's values.
struct ParamBuilder {
    bool null = false;
    std::vector<std::variant<std::string, std::size_t>> parts;

    Value build(const std::vector<Value> &values) const
    {
        if (null)
            return std::nullopt;
        if (parts.size() == 1 && std::holds_alternative<std::size_t>(parts[0]))
            return values.at(std::get<std::size_t>(parts[0])); // a bare value keeps its NULL
        std::string out;
        for (const auto &p : parts) {
            if (const auto *fixedText = std::get_if<std::string>(&p))
                out += *fixedText;
            else if (const Value &v = values.at(std::get<std::size_t>(p)))
                out += *v;
        }
        return out;
    }
};

std::string tokenText(const Token &t)
{
    switch (t.kind) {
    case Tok::Quoted:
    case Tok::BareValue:
        return "'...'";
    case Tok::Bracketed:
        return "[" + t.text + "]";
    case Tok::DoubleQuoted:
        return "\"" + t.text + "\"";
    default:
        return t.text;
    }
}

} // namespace

struct Plan {
    const ProcDef *proc = nullptr; // set for a procedure call
    std::string sql;               // set for an ad-hoc statement
    std::vector<ParamBuilder> params;
    bool writes = false;
};

namespace {

class Parser {
public:
    Parser(const std::vector<Token> &tokens, const Driver &driver) : m_t(tokens), m_driver(driver) {}

    std::unique_ptr<Plan> parse()
    {
        skipSpace();
        if (atEnd())
            throw DbError("The command text is empty.", DbError::Kind::Syntax);
        const Token &first = m_t[m_pos];
        if (first.kind == Tok::Ident) {
            const std::string kw = toLower(first.text);
            if (kw == "select" || kw == "insert" || kw == "update" || kw == "delete" || kw == "with")
                return statement(kw != "select" && kw != "with");
            if (kw == "exec" || kw == "execute") {
                ++m_pos;
                skipSpace();
            }
        }
        return procedureCall();
    }

private:
    bool atEnd() const { return m_pos >= m_t.size(); }
    void skipSpace()
    {
        while (!atEnd() && m_t[m_pos].kind == Tok::Space)
            ++m_pos;
    }
    bool punctAt(std::size_t i, char c) const
    {
        return i < m_t.size() && m_t[i].kind == Tok::Punct && m_t[i].text[0] == c;
    }
    bool identAt(std::size_t i) const { return i < m_t.size() && m_t[i].kind == Tok::Ident; }
    [[noreturn]] void syntaxError(std::size_t i) const
    {
        const std::string near = i < m_t.size() ? tokenText(m_t[i]) : std::string("end of command");
        throw DbError("Incorrect syntax near '" + near + "'.", DbError::Kind::Syntax);
    }

    // db..name or db.dbo.name at m_pos; on success advances past it.
    std::optional<std::pair<Database, std::string>> qualifiedName()
    {
        if (!identAt(m_pos))
            return std::nullopt;
        const auto db = databaseByName(m_t[m_pos].text);
        if (!db)
            return std::nullopt;
        if (punctAt(m_pos + 1, '.') && punctAt(m_pos + 2, '.') && identAt(m_pos + 3)) {
            std::pair<Database, std::string> r{*db, m_t[m_pos + 3].text};
            m_pos += 4;
            return r;
        }
        if (punctAt(m_pos + 1, '.') && identAt(m_pos + 2) && iequals(m_t[m_pos + 2].text, "dbo")
            && punctAt(m_pos + 3, '.') && identAt(m_pos + 4)) {
            std::pair<Database, std::string> r{*db, m_t[m_pos + 4].text};
            m_pos += 5;
            return r;
        }
        return std::nullopt;
    }

    std::unique_ptr<Plan> procedureCall()
    {
        Database db = Database::Laboratory;
        std::string name;
        if (auto q = qualifiedName()) {
            db = q->first;
            name = q->second;
        } else if (identAt(m_pos)) {
            name = m_t[m_pos++].text;
        } else {
            syntaxError(m_pos);
        }
        auto plan = std::make_unique<Plan>();
        plan->proc = procedures().find(db, name);
        if (!plan->proc)
            throw DbError("Could not find stored procedure '" + name + "'.", DbError::Kind::UnknownProcedure);

        skipSpace();
        while (!atEnd()) {
            ParamBuilder arg;
            const Token &t = m_t[m_pos];
            if (t.kind == Tok::Quoted) {
                arg.parts = t.parts;
            } else if (t.kind == Tok::BareValue) {
                arg.parts.emplace_back(t.valueIndex);
            } else if (t.kind == Tok::Number) {
                arg.parts.emplace_back(t.text);
            } else if (t.kind == Tok::Punct && t.text == "-" && m_pos + 1 < m_t.size() && m_t[m_pos + 1].kind == Tok::Number) {
                arg.parts.emplace_back("-" + m_t[++m_pos].text);
            } else if (t.kind == Tok::Ident && iequals(t.text, "null")) {
                arg.null = true;
            } else {
                syntaxError(m_pos);
            }
            plan->params.push_back(std::move(arg));
            ++m_pos;
            skipSpace();
            if (atEnd())
                break;
            if (!punctAt(m_pos, ','))
                syntaxError(m_pos);
            ++m_pos;
            skipSpace();
            if (atEnd())
                syntaxError(m_pos);
        }
        const int count = static_cast<int>(plan->params.size());
        const ProcDef &def = *plan->proc;
        if (count < def.minArgs || count > def.maxArgs) {
            const std::string expected = def.minArgs == def.maxArgs
                                             ? std::to_string(def.minArgs)
                                             : std::to_string(def.minArgs) + " to " + std::to_string(def.maxArgs);
            throw DbError("Procedure or function '" + def.name + "' expects " + expected + " arguments, but " +
                              std::to_string(count) + (count == 1 ? " was" : " were") + " supplied.",
                          DbError::Kind::ArgumentCount);
        }
        plan->writes = def.writes;
        return plan;
    }

    // One level of parentheses while a statement is translated, with what closing it must add.
    struct Level {
        enum class Kind { Plain, Len, Convert, Cast } kind = Kind::Plain;
        std::size_t start = 0;  // where the SQL of a LEN/CONVERT/CAST argument begins
        bool styled = false;    // CONVERT: the expression has been read, the style follows
        std::string type;       // CONVERT/CAST: the target type as written
        std::string style;      // CONVERT: the style number
        std::string limit;      // TOP n of the SELECT at this level
        bool textChain = false; // a "+" here has already joined strings
    };

    std::unique_ptr<Plan> statement(bool writes)
    {
        auto plan = std::make_unique<Plan>();
        plan->writes = writes;
        std::string &sql = plan->sql;
        std::vector<Level> levels(1);
        std::string lastWord;        // the last keyword or name, lower case
        bool lastWasString = false;  // the operand just written is text (a literal or a joined chain)
        while (!atEnd()) {
            if (auto q = qualifiedName()) {
                const bool isCall = punctAt(m_pos, '(');
                if (!isCall) {
                    sql += m_driver.qualify(q->first, q->second);
                } else if (const ScalarFunctionDef *fn = scalarFunctions().find(q->first, q->second)) {
                    sql += scalarCall(*fn, *plan);
                } else {
                    throw DbError("Cannot find either column \"" + std::string(databaseName(q->first)) +
                                      "\" or the user-defined function \"" + q->second + "\".",
                                  DbError::Kind::UnknownProcedure);
                }
                lastWasString = false;
                continue;
            }
            const Token &t = m_t[m_pos];
            switch (t.kind) {
            case Tok::Ident: {
                const std::string word = toLower(t.text);
                const bool call = punctAt(m_pos + 1, '(');
                if (word == "getdate" && call && punctAt(m_pos + 2, ')')) {
                    sql += m_driver.nowExpr();
                    m_pos += 3;
                    lastWasString = false;
                    continue;
                }
                if (word == "top" && (lastWord == "select" || lastWord == "distinct" || lastWord == "all")) {
                    levels.back().limit = topCount();
                    continue;
                }
                if (call && (word == "len" || word == "convert" || word == "cast")) {
                    m_pos += 2;
                    Level level;
                    level.start = sql.size();
                    if (word == "len") {
                        level.kind = Level::Kind::Len;
                    } else if (word == "cast") {
                        level.kind = Level::Kind::Cast;
                    } else {
                        level.kind = Level::Kind::Convert;
                        level.type = typeName(',');
                        ++m_pos; // ,
                    }
                    levels.push_back(std::move(level));
                    lastWord.clear();
                    continue;
                }
                if (word == "as" && levels.back().kind == Level::Kind::Cast) {
                    ++m_pos;
                    levels.back().type = typeName(')');
                    continue; // the ")" closes the level below
                }
                if (word == "isnull" && call)
                    sql += "coalesce";
                else
                    sql += t.text;
                if (isKeyword(word))
                    levels.back().textChain = false;
                lastWasString = false;
                lastWord = word;
                break;
            }
            case Tok::Quoted: {
                ParamBuilder p;
                p.parts = t.parts;
                if (p.parts.empty())
                    p.parts.emplace_back(std::string());
                plan->params.push_back(std::move(p));
                sql += "?";
                lastWasString = true;
                break;
            }
            case Tok::BareValue: {
                ParamBuilder p;
                p.parts.emplace_back(t.valueIndex);
                plan->params.push_back(std::move(p));
                sql += "?";
                break;
            }
            case Tok::Bracketed:
            case Tok::DoubleQuoted:
                // Identifiers are created unquoted, so a quoted one must lose its quotes to match.
                sql += t.text;
                break;
            case Tok::Punct: {
                const char c = t.text[0];
                if (c == '.') { // between a table and its column
                    sql += t.text;
                    break;
                }
                if (c == ';')
                    throw DbError("Only one statement can be sent at a time.", DbError::Kind::Syntax);
                if (c == '(') {
                    Level level;
                    level.start = sql.size();
                    levels.push_back(std::move(level));
                    sql += t.text;
                    lastWasString = false;
                    break;
                }
                if (c == ')') {
                    if (levels.size() == 1)
                        syntaxError(m_pos);
                    lastWasString = closeLevel(levels, sql);
                    lastWord.clear();
                    break;
                }
                if (c == ',' && levels.back().kind == Level::Kind::Convert && !levels.back().styled) {
                    levels.back().styled = true;
                    ++m_pos;
                    levels.back().style = typeName(')');
                    continue;
                }
                if (c == '+') {
                    // The original server joins text with "+"; here that is "||".
                    std::size_t next = m_pos + 1;
                    while (next < m_t.size() && m_t[next].kind == Tok::Space)
                        ++next;
                    const bool nextIsText = next < m_t.size() && m_t[next].kind == Tok::Quoted;
                    if (lastWasString || nextIsText || levels.back().textChain) {
                        levels.back().textChain = true;
                        sql += "||";
                        break;
                    }
                } else {
                    levels.back().textChain = false;
                }
                lastWasString = false;
                sql += t.text;
                break;
            }
            case Tok::Space:
                sql += t.text;
                break;
            default:
                lastWasString = false;
                sql += t.text;
                break;
            }
            ++m_pos;
        }
        if (levels.size() != 1)
            syntaxError(m_pos);
        if (!levels.back().limit.empty())
            sql += " LIMIT " + levels.back().limit;
        return plan;
    }

    static bool isKeyword(const std::string &word)
    {
        static const std::set<std::string> words = {
            "select", "from",  "where", "and",  "or",    "not",  "as",     "on",    "join",   "inner",
            "left",   "right", "outer", "when", "then",  "else", "end",    "case",  "order",  "group",
            "by",     "having", "like", "in",   "is",    "union", "distinct", "set", "values", "into"};
        return words.count(word) > 0;
    }

    // TOP n or TOP (n) after SELECT; returns n.
    std::string topCount()
    {
        ++m_pos;
        skipSpace();
        const bool parenthesised = punctAt(m_pos, '(');
        if (parenthesised) {
            ++m_pos;
            skipSpace();
        }
        if (atEnd() || m_t[m_pos].kind != Tok::Number)
            syntaxError(m_pos);
        std::string n = m_t[m_pos++].text;
        if (parenthesised) {
            skipSpace();
            if (!punctAt(m_pos, ')'))
                syntaxError(m_pos);
            ++m_pos;
        }
        return n;
    }

    // The words up to a stop character at this level (not consumed): a type such as varchar(10),
    // or a style number.
    std::string typeName(char stop)
    {
        std::string text;
        int depth = 0;
        while (!atEnd()) {
            const Token &t = m_t[m_pos];
            if (t.kind == Tok::Punct && depth == 0 && t.text[0] == stop)
                return text;
            if (t.kind == Tok::Punct && t.text[0] == '(')
                ++depth;
            if (t.kind == Tok::Punct && t.text[0] == ')' && --depth < 0)
                break;
            if (t.kind != Tok::Ident && t.kind != Tok::Number && t.kind != Tok::Space && t.kind != Tok::Punct)
                syntaxError(m_pos);
            text += t.kind == Tok::Space ? std::string(" ") : toLower(t.text);
            ++m_pos;
        }
        syntaxError(m_pos);
    }

    // At a ")": ends the innermost level and writes what it needs. Returns whether the value
    // it closes is text.
    bool closeLevel(std::vector<Level> &levels, std::string &sql)
    {
        Level level = std::move(levels.back());
        levels.pop_back();
        switch (level.kind) {
        case Level::Kind::Plain:
            if (!level.limit.empty())
                sql += " LIMIT " + level.limit;
            sql += ')';
            return level.textChain;
        case Level::Kind::Len:
            // LEN leaves trailing blanks out.
            sql.insert(level.start, "length(rtrim(CAST(");
            sql += " AS text)))";
            return false;
        case Level::Kind::Cast:
        case Level::Kind::Convert: {
            if (level.type.empty())
                syntaxError(m_pos);
            std::string expr = sql.substr(level.start);
            sql.resize(level.start);
            sql += converted(expr, level.type, trim(level.style));
            const std::string base = trim(level.type.substr(0, level.type.find('(')));
            return base.find("char") != std::string::npos;
        }
        }
        return false;
    }

    static std::string trim(const std::string &s)
    {
        const auto first = s.find_first_not_of(' ');
        return first == std::string::npos ? std::string() : s.substr(first, s.find_last_not_of(' ') - first + 1);
    }

    // CONVERT(type, expr[, style]) and CAST(expr AS type) in the backend's terms.
    std::string converted(const std::string &expr, const std::string &typeText, const std::string &style) const
    {
        const std::string type = trim(typeText);
        const auto paren = type.find('(');
        const std::string base = trim(type.substr(0, paren));
        std::string length;
        if (paren != std::string::npos)
            length = trim(type.substr(paren + 1, type.find(')') - paren - 1));
        if (base == "datetime" || base == "smalldatetime" || base == "datetime2")
            return m_driver.toDateTimeExpr(expr, false);
        if (base == "date")
            return m_driver.toDateTimeExpr(expr, true);
        if (base == "varchar" || base == "nvarchar" || base == "char" || base == "nchar") {
            std::string text = "CAST(" + expr + " AS text)";
            if (!style.empty()) {
                static const std::map<std::string, std::string_view> styles = {
                    {"1", "%m/%d/%y"},   {"101", "%m/%d/%Y"}, {"3", "%d/%m/%y"}, {"103", "%d/%m/%Y"},
                    {"102", "%Y.%m.%d"}, {"110", "%m-%d-%Y"}, {"111", "%Y/%m/%d"}, {"12", "%y%m%d"},
                    {"112", "%Y%m%d"},   {"8", "%H:%M:%S"},   {"108", "%H:%M:%S"}, {"20", "%Y-%m-%d %H:%M:%S"},
                    {"120", "%Y-%m-%d %H:%M:%S"}, {"23", "%Y-%m-%d"}};
                const auto it = styles.find(style);
                if (it == styles.end())
                    throw DbError(style + " is not a valid style number when converting from datetime to a "
                                          "character string.",
                                  DbError::Kind::Syntax);
                text = m_driver.formatDateExpr(expr, it->second);
            }
            if (!length.empty() && length != "max")
                text = "substr(" + text + ", 1, " + length + ")";
            return text;
        }
        if (base == "int" || base == "integer" || base == "bigint" || base == "smallint" || base == "tinyint" ||
            base == "bit")
            return "CAST(" + expr + " AS integer)";
        if (base == "float" || base == "real")
            return "CAST(" + expr + " AS real)";
        if (base == "decimal" || base == "numeric" || base == "money")
            return "CAST(" + expr + " AS numeric" + (length.empty() ? "" : "(" + length + ")") + ")";
        throw DbError("Type " + type + " is not a defined system type.", DbError::Kind::Syntax);
    }

    // "(value, ...)" after a server function's name: its expression with the values bound in order.
    std::string scalarCall(const ScalarFunctionDef &fn, Plan &plan)
    {
        ++m_pos; // (
        std::vector<ParamBuilder> args;
        skipSpace();
        while (!punctAt(m_pos, ')')) {
            if (atEnd())
                syntaxError(m_pos);
            const Token &t = m_t[m_pos];
            ParamBuilder arg;
            if (t.kind == Tok::Quoted)
                arg.parts = t.parts.empty() ? decltype(arg.parts){std::string()} : t.parts;
            else if (t.kind == Tok::BareValue)
                arg.parts.emplace_back(t.valueIndex);
            else if (t.kind == Tok::Number)
                arg.parts.emplace_back(t.text);
            else
                syntaxError(m_pos);
            args.push_back(std::move(arg));
            ++m_pos;
            skipSpace();
            if (punctAt(m_pos, ',')) {
                ++m_pos;
                skipSpace();
            } else if (!punctAt(m_pos, ')')) {
                syntaxError(m_pos);
            }
        }
        ++m_pos; // )
        if (static_cast<int>(args.size()) != fn.args)
            throw DbError("Procedure or function '" + fn.name + "' expects " + std::to_string(fn.args) +
                              " arguments, but " + std::to_string(args.size()) + " were supplied.",
                          DbError::Kind::ArgumentCount);
        for (ParamBuilder &a : args)
            plan.params.push_back(std::move(a));
        return fn.expression(m_driver);
    }

    const std::vector<Token> &m_t;
    const Driver &m_driver;
    std::size_t m_pos = 0;
};

// Where the first character no backend stores sits, if any: a NUL, or bytes that are no UTF-8.
std::optional<std::pair<std::size_t, const char *>> unstorable(const std::string &v)
{
    std::size_t i = 0;
    while (i < v.size()) {
        const auto c = static_cast<unsigned char>(v[i]);
        if (c == 0)
            return std::make_pair(i, "a NUL character");
        std::size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (len == 0 || i + len > v.size() || (len == 2 && c < 0xC2) || (len == 4 && c > 0xF4))
            return std::make_pair(i, "bytes that are not UTF-8 text");
        for (std::size_t k = 1; k < len; ++k) {
            if ((static_cast<unsigned char>(v[i + k]) & 0xC0) != 0x80)
                return std::make_pair(i, "bytes that are not UTF-8 text");
        }
        const auto c1 = static_cast<unsigned char>(v[i + (len > 1 ? 1 : 0)]);
        if ((len == 3 && c == 0xE0 && c1 < 0xA0) || (len == 3 && c == 0xED && c1 >= 0xA0) ||
            (len == 4 && c == 0xF0 && c1 < 0x90) || (len == 4 && c == 0xF4 && c1 >= 0x90))
            return std::make_pair(i, "bytes that are not UTF-8 text");
        i += len;
    }
    return std::nullopt;
}

// What any value may hold, on every backend alike: any length of valid UTF-8 without NUL. SQLite
// would store a NUL or broken UTF-8 as given and PostgreSQL refuses both (libpq would even cut a
// text parameter at its first NUL), so the same save must not succeed on one and fail on the other.
// No column declares a length, so neither backend cuts or refuses long text. A number or date
// argument that does not read as one is refused by the procedure that reads it.
void checkValues(const Plan &plan, const std::vector<Value> &params)
{
    for (std::size_t i = 0; i < params.size(); ++i) {
        if (!params[i])
            continue;
        if (const auto bad = unstorable(*params[i])) {
            const std::string where = plan.proc ? "Argument " + std::to_string(i + 1) + " of " + plan.proc->name
                                                : "Value " + std::to_string(i + 1) + " of the statement";
            throw DbError(where + " holds " + bad->second + " at position " + std::to_string(bad->first + 1) +
                              ", which the laboratory database does not store; nothing was changed.",
                          DbError::Kind::General);
        }
    }
}

// A value as a message shows it: control characters as "?", and a long one cut after a few words
// with its length, so that a message box quoting it stays readable.
std::string forMessage(const std::string &v)
{
    constexpr std::size_t kShown = 40;
    std::string out;
    std::size_t characters = 0;
    for (std::size_t i = 0; i < v.size(); ++i) {
        const auto c = static_cast<unsigned char>(v[i]);
        const bool starts = (c & 0xC0) != 0x80;
        characters += starts ? 1 : 0;
        if (characters > kShown)
            continue;
        out.push_back(c < 0x20 || c == 0x7F ? '?' : v[i]);
    }
    if (characters > kShown)
        out += "... (" + std::to_string(characters) + " characters)";
    return out;
}

// The database's message with every quoted argument shown as forMessage shows it.
std::string readableMessage(std::string message, const std::vector<Value> &params)
{
    for (const Value &v : params) {
        if (!v || v->empty())
            continue;
        const std::string shown = forMessage(*v);
        if (shown == *v)
            continue;
        for (std::size_t at = message.find(*v); at != std::string::npos; at = message.find(*v, at + shown.size()))
            message.replace(at, v->size(), shown);
    }
    for (char &c : message) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    }
    return message;
}

std::vector<Value> bind(const Plan &plan, const CommandText &command)
{
    std::vector<Value> params;
    params.reserve(plan.params.size());
    for (const ParamBuilder &p : plan.params)
        params.push_back(p.build(command.values()));
    return params;
}

} // namespace

CommandReading readCommand(const CommandText &command, const Driver &driver)
{
    const std::vector<Token> tokens = lex(command.shape());
    const std::unique_ptr<Plan> plan = Parser(tokens, driver).parse();
    CommandReading reading;
    if (plan->proc)
        reading.procedure = plan->proc->name;
    reading.sql = plan->sql;
    reading.params = bind(*plan, command);
    reading.writes = plan->writes;
    return reading;
}

Session::Session(std::unique_ptr<Driver> driver) : m_driver(std::move(driver))
{
    upgradeSchema(*m_driver);
}

Session::~Session() = default;

const Plan &Session::planFor(const CommandText &command)
{
    if (auto it = m_plans.find(command.shape()); it != m_plans.end())
        return *it->second;
    const std::vector<Token> tokens = lex(command.shape());
    std::unique_ptr<Plan> plan = Parser(tokens, *m_driver).parse();
    return *m_plans.emplace(command.shape(), std::move(plan)).first->second;
}

ResultSet Session::execute(const CommandText &command)
{
    const Plan &plan = planFor(command);
    const std::vector<Value> params = bind(plan, command);
    checkValues(plan, params);

    const auto run = [&]() {
        try {
            if (!plan.proc)
                return m_driver->run(plan.sql, params);
            ProcCall call{*m_driver, *this, plan.proc->name, params};
            return plan.proc->fn(call);
        } catch (const DbError &e) {
            const std::string message = readableMessage(e.what(), params);
            if (message == e.what())
                throw;
            throw DbError(message, e.kind());
        }
    };
    if (!plan.writes)
        return run();

    // A change and its audit row commit together or not at all.
    if (m_driver->inTransaction()) {
        ResultSet rs = run();
        audit(command);
        return rs;
    }
    Transaction tx(*m_driver);
    m_savedInTransaction.clear();
    ResultSet rs = run();
    audit(command);
    tx.commit();
    m_savedInTransaction.clear();
    return rs;
}

void Session::noteSavedResult(const std::string &requestNum)
{
    if (!m_savedInTransaction.insert(requestNum).second)
        return;
    const std::string employee = m_driver->qualify(Database::Laboratory, "tbLabEmployee");
    m_driver->run("UPDATE " + m_driver->qualify(Database::Laboratory, "tbLabLogbook") +
                      " SET RowVersion = RowVersion + 1, SavedBy = ?, SavedAt = " + m_driver->nowExpr() +
                      ", SavedByName = (SELECT LastName || ', ' || FirstName FROM " + employee +
                      " WHERE EmployeeCode = ?) WHERE RequestNum = ?",
                  {m_auditUser, m_auditUser, requestNum});
}

void Session::audit(const CommandText &command)
{
    m_driver->run("INSERT INTO " + m_driver->qualify(Database::Laboratory, "tbAuditTrail") +
                      " (AuditTime, EmployeeCode, CommandText) VALUES (" + m_driver->nowExpr() + ", ?, ?)",
                  {m_auditUser, command.text()});
}

void Session::begin()
{
    m_driver->begin();
    m_savedInTransaction.clear();
}

void Session::commit()
{
    m_driver->commit();
    m_savedInTransaction.clear();
}

void Session::rollback()
{
    m_savedInTransaction.clear();
    m_driver->rollback();
}

bool Session::inTransaction() const
{
    return m_driver->inTransaction();
}

} // namespace labdb
