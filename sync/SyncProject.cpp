// A small reader for the one shape of XML a project has: tags with quoted
// attributes, comments and declarations passed over, the five named
// entities and numeric character references decoded.
#include "sync/SyncProject.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

namespace MivexGL
{

namespace
{

// Text for an attribute in double quotes. Control bytes become references,
// so a name holding a newline reads back as itself.
std::string Escape(const std::string& text)
{
    std::string out;
    for (char c : text)
    {
        const auto b = static_cast<unsigned char>(c);
        switch (c)
        {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            if (b < 0x20 || b == 0x7F)
            {
                out += "&#" + std::to_string(b) + ";";
            }
            else
            {
                out += c;
            }
        }
    }
    return out;
}

struct Tag
{
    std::string name;
    std::map<std::string, std::string> attributes;
    bool closing = false;
    bool empty = false;
};

class Reader
{
public:
    explicit Reader(const std::string& source) : text(source) {}

    // False at the end; reason set when the text is broken.
    bool Next(Tag& tag, std::string& reason);
    std::size_t Line() const { return line; }

private:
    bool Skip(const char* until);
    bool Decode(const std::string& raw, std::string& out, std::string& reason) const;

    const std::string& text;
    std::size_t at = 0;
    std::size_t line = 1;
};

bool Reader::Skip(const char* until)
{
    const std::size_t end = text.find(until, at);
    if (end == std::string::npos)
    {
        return false;
    }
    for (; at < end; ++at)
    {
        line += text[at] == '\n' ? 1 : 0;
    }
    at = end + std::char_traits<char>::length(until);
    return true;
}

bool Reader::Decode(const std::string& raw, std::string& out, std::string& reason) const
{
    static const std::map<std::string, char> kNamed = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    out.clear();
    for (std::size_t i = 0; i < raw.size(); ++i)
    {
        if (raw[i] != '&')
        {
            out += raw[i];
            continue;
        }
        const std::size_t semi = raw.find(';', i);
        if (semi == std::string::npos)
        {
            reason = "an '&' that starts no reference";
            return false;
        }
        const std::string ref = raw.substr(i + 1, semi - i - 1);
        const auto named = kNamed.find(ref);
        if (named != kNamed.end())
        {
            out += named->second;
        }
        else if (ref.size() > 1 && ref[0] == '#')
        {
            const bool hex = ref[1] == 'x';
            char* end = nullptr;
            const unsigned long code =
                std::strtoul(ref.c_str() + (hex ? 2 : 1), &end, hex ? 16 : 10);
            // Names are bytes: a reference past one byte has no place in them.
            if (*end != '\0' || code == 0 || code > 0xFF)
            {
                reason = "the reference &" + ref + "; is no byte";
                return false;
            }
            out += static_cast<char>(code);
        }
        else
        {
            reason = "the unknown reference &" + ref.substr(0, 16) + ";";
            return false;
        }
        i = semi;
    }
    return true;
}

bool Reader::Next(Tag& tag, std::string& reason)
{
    tag = {};
    for (;;)
    {
        if (!Skip("<"))
        {
            return false;
        }
        if (text.compare(at, 3, "!--") == 0)
        {
            if (!Skip("-->"))
            {
                reason = "a comment that never ends";
                return false;
            }
            continue;
        }
        if (at < text.size() && (text[at] == '?' || text[at] == '!'))
        {
            if (!Skip(">"))
            {
                reason = "a declaration that never ends";
                return false;
            }
            continue;
        }
        break;
    }
    const std::size_t end = text.find('>', at);
    if (end == std::string::npos)
    {
        reason = "a tag that never ends";
        return false;
    }
    std::string body = text.substr(at, end - at);
    if (!Skip(">"))
    {
        return false;
    }
    if (!body.empty() && body.back() == '/')
    {
        tag.empty = true;
        body.pop_back();
    }
    if (!body.empty() && body[0] == '/')
    {
        tag.closing = true;
        body.erase(0, 1);
    }
    auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    std::size_t i = 0;
    while (i < body.size() && !space(body[i]))
    {
        tag.name += body[i++];
    }
    for (;;)
    {
        while (i < body.size() && space(body[i]))
        {
            ++i;
        }
        if (i >= body.size())
        {
            break;
        }
        const std::size_t equals = body.find('=', i);
        if (equals == std::string::npos || equals + 1 >= body.size() ||
            (body[equals + 1] != '"' && body[equals + 1] != '\''))
        {
            reason = "<" + tag.name + "> has an attribute without a quoted value";
            return false;
        }
        std::string key = body.substr(i, equals - i);
        while (!key.empty() && space(key.back()))
        {
            key.pop_back();
        }
        const char quote = body[equals + 1];
        const std::size_t close = body.find(quote, equals + 2);
        if (close == std::string::npos)
        {
            reason = "<" + tag.name + "> has an attribute whose quote never ends";
            return false;
        }
        std::string value;
        if (!Decode(body.substr(equals + 2, close - equals - 2), value, reason))
        {
            return false;
        }
        tag.attributes[key] = value;
        i = close + 1;
    }
    return true;
}

bool ParseRow(const std::string& text, std::uint32_t& row)
{
    if (text.empty() || text[0] < '0' || text[0] > '9')
    {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const unsigned long long v = std::strtoull(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v > UINT32_MAX)
    {
        return false;
    }
    row = static_cast<std::uint32_t>(v);
    return true;
}

bool ParseValue(const std::string& text, float& value)
{
    // A value below the normal floats reads with ERANGE yet exactly: only
    // what is not finite is refused.
    char* end = nullptr;
    value = std::strtof(text.c_str(), &end);
    return !text.empty() && *end == '\0' && std::isfinite(value);
}

bool ParseKey(const Tag& tag, cSyncKey& key, std::string& reason)
{
    const auto row = tag.attributes.find("row");
    const auto value = tag.attributes.find("value");
    const auto how = tag.attributes.find("interpolation");
    if (row == tag.attributes.end() || !ParseRow(row->second, key.row))
    {
        reason = "a key without a row from 0 to 4294967295";
        return false;
    }
    if (value == tag.attributes.end() || !ParseValue(value->second, key.value))
    {
        reason = "the key at row " + row->second + " has no finite float value";
        return false;
    }
    std::uint32_t type = 0;
    if (how == tag.attributes.end() || !ParseRow(how->second, type) ||
        type >= cSyncKey::kInterpolationCount)
    {
        reason = "the key at row " + row->second + " has no interpolation from 0 to 3";
        return false;
    }
    key.interpolation = static_cast<cSyncKey::Interpolation>(type);
    return true;
}

} // namespace

std::string SyncValueText(float value)
{
    char text[32];
    for (int digits = 6; digits <= 9; ++digits)
    {
        std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
        if (std::strtof(text, nullptr) == value)
        {
            break;
        }
    }
    return text;
}

std::string FormatSyncProject(const std::vector<cSyncProjectTrack>& tracks, std::uint32_t rows)
{
    std::string out = "<sync rows=\"" + std::to_string(rows) + "\">\n<tracks>\n";
    for (const cSyncProjectTrack& track : tracks)
    {
        out += "<track name=\"" + Escape(track.name) + "\">\n";
        for (const cSyncKey& key : track.keys)
        {
            out += "<key row=\"" + std::to_string(key.row) + "\" value=\"" +
                   SyncValueText(key.value) + "\" interpolation=\"" +
                   std::to_string(static_cast<int>(key.interpolation)) + "\"/>\n";
        }
        out += "</track>\n";
    }
    return out + "</tracks>\n</sync>\n";
}

bool ParseSyncProject(const std::string& text, std::vector<cSyncProjectTrack>& tracks,
                      std::string& reason)
{
    tracks.clear();
    Reader reader(text);
    Tag tag;
    bool inTrack = false;
    bool sawSync = false;
    std::set<std::string> names;
    std::set<std::uint32_t> rows;
    std::string why;
    auto fail = [&](const std::string& what)
    {
        reason = "line " + std::to_string(reader.Line()) + ": " + what;
        tracks.clear();
        return false;
    };
    while (reader.Next(tag, why))
    {
        sawSync |= tag.name == "sync" || tag.name == "tracks";
        if (tag.name == "track" && !tag.closing)
        {
            const auto name = tag.attributes.find("name");
            if (inTrack)
            {
                return fail("a track inside a track");
            }
            if (name == tag.attributes.end() || name->second.empty())
            {
                return fail("a track without a name");
            }
            if (!names.insert(name->second).second)
            {
                return fail("the track " + name->second + " comes twice");
            }
            tracks.push_back({name->second, {}});
            rows.clear();
            inTrack = !tag.empty;
        }
        else if (tag.name == "track")
        {
            inTrack = false;
        }
        else if (tag.name == "key" && !tag.closing)
        {
            cSyncKey key;
            if (!inTrack)
            {
                return fail("a key outside any track");
            }
            if (!ParseKey(tag, key, why))
            {
                return fail(tracks.back().name + ": " + why);
            }
            if (!rows.insert(key.row).second)
            {
                return fail(tracks.back().name + ": row " + std::to_string(key.row) + " twice");
            }
            tracks.back().keys.push_back(key);
        }
    }
    if (!why.empty())
    {
        return fail(why);
    }
    if (!sawSync)
    {
        return fail("no <sync> or <tracks> element: not a sync project");
    }
    if (inTrack)
    {
        return fail("a track that never ends");
    }
    return true;
}

} // namespace MivexGL
