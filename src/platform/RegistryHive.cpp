#include "platform/RegistryHive.h"

#include <algorithm>
#include <cstdio>

namespace orvane::platform::hive {

namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}

int HexDigit(char c)
{
    if (IsAsciiDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool EqualsAsciiNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

QString FromUtf8(std::string_view bytes)
{
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

void AppendQuoted(std::string& out, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    out += '"';
    for (const char c : bytes) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
}

// Reads the registry export text line by line. Quoted strings may run over
// several lines; their bytes are kept as they are.
class Parser {
public:
    Parser(std::string_view text, Hive& hive) : text_(text), hive_(hive) {}

    bool Run()
    {
        if (text_.substr(0, kByteOrderMark.size()) == kByteOrderMark)
            pos_ = kByteOrderMark.size();
        if (text_.find_first_not_of(" \t\r\n", pos_) == std::string_view::npos)
            return true; // an empty file is an empty hive
        const size_t end = std::min(text_.find('\n', pos_), text_.size());
        std::string_view first = text_.substr(pos_, end - pos_);
        while (!first.empty() && (first.back() == '\r' || IsBlank(first.back())))
            first.remove_suffix(1);
        if (first != kHeader)
            return Fail("the first line is not \"Windows Registry Editor Version 5.00\"");
        pos_ = end;
        EndOfLine();

        while (pos_ < text_.size()) {
            SkipBlanks();
            if (EndOfLine())
                continue;
            const char c = text_[pos_];
            if (c == ';')
                SkipRestOfLine();
            else if (c == '[') {
                if (!Section())
                    return false;
            } else if (c == '"' || c == '@') {
                if (!ValueLine())
                    return false;
            } else
                return Fail("this line is neither a key, a value nor a comment");
        }
        return true;
    }

    int errorLine = 0;
    std::string error;

private:
    bool Fail(std::string what, int atLine = 0)
    {
        errorLine = atLine ? atLine : line_;
        error = std::move(what);
        return false;
    }

    void SkipBlanks()
    {
        while (pos_ < text_.size() && IsBlank(text_[pos_]))
            ++pos_;
    }

    // Consumes trailing blanks and the line end (LF or CR LF), or the end of
    // the text; false when anything else stands there.
    bool EndOfLine()
    {
        SkipBlanks();
        if (pos_ >= text_.size())
            return true;
        size_t next = pos_;
        if (text_[next] == '\r')
            ++next;
        if (next < text_.size() && text_[next] != '\n')
            return false;
        if (next < text_.size()) {
            ++next;
            ++line_;
        }
        pos_ = next;
        return true;
    }

    bool NextLineIsBlank() const
    {
        const size_t end = std::min(text_.find('\n', pos_), text_.size());
        return text_.substr(pos_, end - pos_).find_first_not_of(" \t\r") == std::string_view::npos;
    }

    void SkipRestOfLine()
    {
        const size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos) {
            pos_ = text_.size();
        } else {
            pos_ = end + 1;
            ++line_;
        }
    }

    bool Section()
    {
        const size_t end = std::min(text_.find('\n', pos_), text_.size());
        std::string_view content = text_.substr(pos_, end - pos_);
        while (!content.empty() && (content.back() == '\r' || IsBlank(content.back())))
            content.remove_suffix(1);
        if (content.size() < 2 || content.back() != ']')
            return Fail("a key line does not end with ']'");
        const std::string_view inner = content.substr(1, content.size() - 2);
        if (!inner.empty() && inner.front() == '-')
            return Fail("removing keys with '[-' is not supported in this file");
        const size_t slash = inner.find('\\');
        const std::string_view rootPart = inner.substr(0, slash);
        const QByteArray rootName = hive_.RootName().toUtf8();
        if (!EqualsAsciiNoCase(rootPart, std::string_view(rootName.constData(), size_t(rootName.size()))))
            return Fail("the key does not lie under " + rootName.toStdString());
        QStringList path;
        if (slash != std::string_view::npos)
            path = SplitKeyPath(FromUtf8(inner.substr(slash + 1)));
        if (path.size() > kMaxKeyDepth)
            return Fail("keys are nested too deeply");
        current_ = &hive_.Ensure(path);
        pos_ = end;
        EndOfLine();
        return true;
    }

    // A quoted string starting at pos_; the text between the quotes, escapes
    // resolved, goes to *decoded.
    bool Quoted(std::string* decoded)
    {
        const int startLine = line_;
        ++pos_;
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '"')
                return true;
            if (c == '\\') {
                if (pos_ >= text_.size())
                    break;
                const char escaped = text_[pos_++];
                if (escaped != '\\' && escaped != '"')
                    return Fail("a backslash in a string is not followed by '\\' or '\"'");
                decoded->push_back(escaped);
                continue;
            }
            if (c == '\n')
                ++line_;
            decoded->push_back(c);
        }
        return Fail("a string is not closed", startLine);
    }

    bool ValueLine()
    {
        const int startLine = line_;
        QString name;
        if (text_[pos_] == '@') {
            ++pos_;
        } else {
            std::string decoded;
            if (!Quoted(&decoded))
                return false;
            name = FromUtf8(decoded);
        }
        SkipBlanks();
        if (pos_ >= text_.size() || text_[pos_] != '=')
            return Fail("'=' is missing after a value name");
        ++pos_;
        SkipBlanks();
        if (!current_)
            return Fail("a value stands before the first key", startLine);

        const size_t start = pos_;
        if (pos_ < text_.size() && text_[pos_] == '"') {
            std::string decoded;
            if (!Quoted(&decoded))
                return false;
            const std::string data(text_.substr(start, pos_ - start));
            if (!EndOfLine())
                return Fail("unexpected text after a string value");
            current_->SetValue(name, ValueKind::String, data);
            return true;
        }
        if (pos_ < text_.size() && text_[pos_] == '-') {
            ++pos_;
            if (EndOfLine())
                return Fail("removing values with '=-' is not supported in this file", startLine);
            return Fail("a value has no data of a known form");
        }

        // type:data, e.g. dword:0000002a, hex:00,01,... or hex(2):...
        size_t tagEnd = pos_;
        while (tagEnd < text_.size() && (IsAsciiLetter(text_[tagEnd]) || IsAsciiDigit(text_[tagEnd]) ||
                                         text_[tagEnd] == '(' || text_[tagEnd] == ')'))
            ++tagEnd;
        if (tagEnd == pos_ || !IsAsciiLetter(text_[pos_]) || tagEnd >= text_.size() || text_[tagEnd] != ':')
            return Fail("a value has no data of a known form");
        if (EqualsAsciiNoCase(text_.substr(pos_, tagEnd - pos_), "dword")) {
            size_t digitsEnd = tagEnd + 1;
            while (digitsEnd < text_.size() && HexDigit(text_[digitsEnd]) >= 0)
                ++digitsEnd;
            const size_t digits = digitsEnd - tagEnd - 1;
            pos_ = digitsEnd;
            if (digits == 0 || digits > 8 || !EndOfLine())
                return Fail("a dword value needs one to eight hex digits");
            current_->SetValue(name, ValueKind::Dword, std::string(text_.substr(start, digitsEnd - start)));
            return true;
        }

        // A type this program does not read: kept as written, with the
        // continuation lines of a trailing backslash.
        std::string data;
        for (;;) {
            const size_t end = std::min(text_.find('\n', pos_), text_.size());
            std::string_view segment = text_.substr(pos_, end - pos_);
            while (!segment.empty() && (segment.back() == '\r' || IsBlank(segment.back())))
                segment.remove_suffix(1);
            data += segment;
            pos_ = end;
            EndOfLine();
            if (segment.empty() || segment.back() != '\\' || NextLineIsBlank())
                break;
            data += '\n';
        }
        current_->SetValue(name, ValueKind::Other, std::move(data));
        return true;
    }

    std::string_view text_;
    Hive& hive_;
    size_t pos_ = 0;
    int line_ = 1;
    Key* current_ = nullptr;
};

void SerializeKey(const Key& key, const std::string& path, bool isRoot, std::string& out)
{
    if (!isRoot || !key.Values().empty()) {
        out += '[';
        out += path;
        out += "]\n";
        const std::vector<Value>& values = key.Values();
        for (size_t i = 0; i < values.size(); ++i) {
            const Value& value = values[i];
            if (value.name.isEmpty())
                out += '@';
            else
                AppendQuoted(out, value.name);
            out += '=';
            out += value.data;
            out += '\n';
            // Data kept as written may end in a backslash that continued
            // nothing (a blank line followed it in the file). A blank line
            // keeps it from taking in the next value when the file is read
            // again.
            if (!value.data.empty() && value.data.back() == '\\' && i + 1 < values.size())
                out += '\n';
        }
        out += '\n';
    }
    for (const auto& child : key.Keys())
        SerializeKey(*child, path + '\\' + child->Name().toUtf8().toStdString(), false, out);
}

} // namespace

Key* Key::FindKey(const QString& childName) const
{
    return keyIndex_.value(childName.toCaseFolded(), nullptr);
}

Key& Key::EnsureKey(const QString& childName)
{
    const QString folded = childName.toCaseFolded();
    if (Key* existing = keyIndex_.value(folded, nullptr))
        return *existing;
    keys_.push_back(std::make_unique<Key>(childName));
    keyIndex_.insert(folded, keys_.back().get());
    return *keys_.back();
}

const Value* Key::FindValue(const QString& valueName) const
{
    const auto found = valueIndex_.constFind(valueName.toCaseFolded());
    return found == valueIndex_.constEnd() ? nullptr : &values_[*found];
}

void Key::SetValue(const QString& valueName, ValueKind kind, std::string data)
{
    const QString folded = valueName.toCaseFolded();
    const auto found = valueIndex_.constFind(folded);
    if (found != valueIndex_.constEnd()) {
        values_[*found].kind = kind;
        values_[*found].data = std::move(data);
        return;
    }
    valueIndex_.insert(folded, values_.size());
    values_.push_back(Value{valueName, kind, std::move(data)});
}

bool Key::RemoveValue(const QString& valueName)
{
    const auto found = valueIndex_.find(valueName.toCaseFolded());
    if (found == valueIndex_.end())
        return false;
    const size_t position = *found;
    valueIndex_.erase(found);
    values_.erase(values_.begin() + ptrdiff_t(position));
    for (auto& index : valueIndex_) {
        if (index > position)
            --index;
    }
    return true;
}

bool Key::RemoveKey(const QString& childName)
{
    const auto found = keyIndex_.find(childName.toCaseFolded());
    if (found == keyIndex_.end())
        return false;
    const Key* child = *found;
    keyIndex_.erase(found);
    keys_.erase(std::find_if(keys_.begin(), keys_.end(),
                             [child](const std::unique_ptr<Key>& key) { return key.get() == child; }));
    return true;
}

std::string StringData(const QString& text)
{
    std::string out;
    AppendQuoted(out, text);
    return out;
}

std::string DwordData(uint32_t number)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "dword:%08x", unsigned(number));
    return buffer;
}

QString StringFromData(const std::string& data)
{
    std::string text;
    const size_t end = data.size() >= 2 && data.back() == '"' ? data.size() - 1 : data.size();
    for (size_t i = data.empty() || data.front() != '"' ? 0 : 1; i < end; ++i) {
        if (data[i] == '\\' && i + 1 < end)
            ++i;
        text += data[i];
    }
    return FromUtf8(text);
}

uint32_t DwordFromData(const std::string& data)
{
    uint32_t number = 0;
    const size_t colon = data.find(':');
    for (size_t i = colon == std::string::npos ? 0 : colon + 1, digits = 0; i < data.size() && digits < 8; ++i, ++digits) {
        const int digit = HexDigit(data[i]);
        if (digit < 0)
            break;
        number = number << 4 | uint32_t(digit);
    }
    return number;
}

QStringList SplitKeyPath(const QString& path)
{
    return path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

bool IsValidKeyName(const QString& name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('\n')) && !name.contains(QLatin1Char('\r')) &&
           !name.contains(QLatin1Char('\\'));
}

Hive::Hive(QString rootName) : rootName_(std::move(rootName)) {}

Key* Hive::Find(const QStringList& path) const
{
    const Key* key = &root_;
    for (const QString& part : path) {
        key = key->FindKey(part);
        if (!key)
            return nullptr;
    }
    return const_cast<Key*>(key);
}

QStringList Hive::StoredPath(const QStringList& path) const
{
    QStringList stored;
    const Key* key = &root_;
    for (const QString& part : path) {
        key = key->FindKey(part);
        if (!key)
            return {};
        stored << key->Name();
    }
    return stored;
}

Key& Hive::Ensure(const QStringList& path)
{
    Key* key = &root_;
    for (const QString& part : path)
        key = &key->EnsureKey(part);
    return *key;
}

bool Hive::Remove(const QStringList& path)
{
    if (path.isEmpty())
        return false;
    Key* parent = Find(path.mid(0, path.size() - 1));
    return parent && parent->RemoveKey(path.back());
}

void Hive::Apply(const Change& change)
{
    switch (change.kind) {
    case Change::Kind::CreateKey:
        Ensure(change.path);
        break;
    case Change::Kind::SetValue:
        Ensure(change.path).SetValue(change.valueName, change.valueKind, change.data);
        break;
    case Change::Kind::DeleteValue:
        if (Key* key = Find(change.path))
            key->RemoveValue(change.valueName);
        break;
    case Change::Kind::DeleteKey:
        Remove(change.path);
        break;
    }
}

bool Hive::Parse(std::string_view text, int* errorLine, std::string* error)
{
    Parser parser(text, *this);
    if (parser.Run())
        return true;
    if (errorLine)
        *errorLine = parser.errorLine;
    if (error)
        *error = parser.error;
    return false;
}

std::string Hive::Serialize() const
{
    std::string out(kHeader);
    out += "\n\n";
    SerializeKey(root_, rootName_.toUtf8().toStdString(), true, out);
    return out;
}

} // namespace orvane::platform::hive
