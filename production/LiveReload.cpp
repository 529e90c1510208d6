// Modification-time polling over the texture and program registries. Texts
// are read once when a program first asks for them and again when their file
// changes; pictures are watched from the first poll that sees their texture.
// Every read checks the file's type before opening it, so a FIFO, a device
// or a folder in a text's place costs one line and never a block.
#include "production/LiveReload.h"

#include "log/ProblemLog.h"
#include "render/ShaderSystem.h"
#include "render/TextureSystem.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <system_error>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace MivexGL
{

namespace fs = std::filesystem;

namespace
{

// Often enough to feel immediate, rarely enough to cost nothing.
constexpr std::chrono::milliseconds kPollInterval(250);

// What tells a file changed: either differs from what was seen.
struct Stamp
{
    fs::file_time_type time{};
    std::uintmax_t size = 0;
    bool exists = false;

    bool operator!=(const Stamp& other) const
    {
        return time != other.time || size != other.size || exists != other.exists;
    }
};

Stamp StampOf(const fs::path& file)
{
    std::error_code error;
    Stamp stamp;
    stamp.time = fs::last_write_time(file, error);
    if (error)
    {
        return Stamp();
    }
    stamp.size = fs::file_size(file, error);
    stamp.exists = !error;
    return stamp;
}

// A regular file of at most kMaxTextBytes into text; otherwise false and
// why, for the line that says so.
bool ReadText(const fs::path& file, std::string& text, std::string& why)
{
    constexpr std::uintmax_t kLimit = cLiveReload::kMaxTextBytes;
    std::string content;
    char buffer[16384];
#if defined(_WIN32)
    std::error_code error;
    const fs::file_status status = fs::status(file, error);
    if (!fs::exists(status))
    {
        why = "no such file";
        return false;
    }
    if (!fs::is_regular_file(status))
    {
        why = "not a regular file";
        return false;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in)
    {
        why = "cannot open";
        return false;
    }
    while (content.size() <= kLimit && in.read(buffer, sizeof buffer).gcount() > 0)
    {
        content.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad())
    {
        why = "cannot read";
        return false;
    }
#else
    struct stat info = {};
    if (::stat(file.c_str(), &info) != 0)
    {
        why = std::strerror(errno);
        return false;
    }
    if (!S_ISREG(info.st_mode))
    {
        why = "not a regular file";
        return false;
    }
    if (static_cast<std::uintmax_t>(info.st_size) > kLimit)
    {
        why = "larger than 1 MiB";
        return false;
    }
    // Non-blocking and checked again: the name may have become a FIFO since.
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
    {
        why = std::strerror(errno);
        return false;
    }
    bool failed = fstat(fd, &info) != 0 || !S_ISREG(info.st_mode);
    while (!failed && content.size() <= kLimit)
    {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
        {
            continue;
        }
        failed = got < 0;
        if (got <= 0)
        {
            break;
        }
        content.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    if (failed)
    {
        why = "not a regular file";
        return false;
    }
#endif
    if (content.size() > kLimit)
    {
        why = "larger than 1 MiB";
        return false;
    }
    text = std::move(content);
    return true;
}

// Over nothing or a regular file only: opening a FIFO to write would block.
bool WriteText(const fs::path& file, const std::string& text)
{
    std::error_code error;
    const fs::file_status status = fs::status(file, error);
    if (fs::exists(status) && !fs::is_regular_file(status))
    {
        return false;
    }
    fs::create_directories(file.parent_path(), error);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}

// Out of the way of the texts a maker edits.
fs::path OriginOf(const fs::path& copy)
{
    return copy.parent_path() / ".builtin" / copy.filename();
}

} // namespace

struct cLiveReload::Impl
{
    struct Text
    {
        fs::path file;
        // What the program builds from: the file's text, or its own while
        // the file cannot be read.
        std::string text;
        // The program's own text.
        std::string builtIn;
        // A copy in the folder, with its origin beside it; else the GLSL
        // file the text was embedded from.
        bool copy = false;
        Stamp stamp;
    };
    struct Picture
    {
        std::string source;
        fs::path file;
        Stamp stamp;
    };

    fs::path folder;
    bool started = false;
    // By file path.
    std::map<std::string, Text> texts;
    // The first program text seen under each "<live name>.vert|.frag": a
    // program of that name with another text gets a file of its own.
    std::map<std::string, std::string> firstText;
    // The files each program was last built from.
    std::map<const cShaderSystem*, std::set<std::string>> users;
    std::map<const cTextureSystem*, Picture> pictures;
    // Embedded files --dev could not find, each with the copy played instead.
    std::map<std::string, std::string> unwatched;
    std::chrono::steady_clock::time_point lastPoll{};

    static const char* Source(void* context, const cShaderSystem& program, bool fragment,
                              const char* builtIn)
    {
        return static_cast<Impl*>(context)->TextFor(program, fragment, builtIn);
    }

    const char* TextFor(const cShaderSystem& program, bool fragment, const char* builtIn)
    {
        if (builtIn == nullptr)
        {
            return nullptr;
        }
        bool copy = false;
        const fs::path file = FileFor(program, fragment, builtIn, copy);
        const std::string key = file.generic_string();
        std::set<std::string>& used = users[&program];
        if (!fragment)
        {
            // A build starts with its vertex stage.
            used.clear();
        }
        used.insert(key);
        auto known = texts.find(key);
        if (known == texts.end())
        {
            known = texts.emplace(key, copy ? OpenCopy(file, builtIn) : OpenSource(file, builtIn))
                        .first;
        }
        return known->second.text.c_str();
    }

    // The source file the text was embedded from while it is there, else
    // the copy in the folder.
    fs::path FileFor(const cShaderSystem& program, bool fragment, const char* builtIn, bool& copy)
    {
        const char* source = program.GetSourceFile(fragment);
        std::error_code error;
        if (source != nullptr && fs::exists(fs::symlink_status(source, error)))
        {
            cProblemLog::Instance().Resolve(UnwatchedKey(source));
            return fs::path(source);
        }
        copy = true;
        const std::string extension = fragment ? ".frag" : ".vert";
        std::string name = program.GetLiveName();
        auto first = firstText.emplace(name + extension, builtIn).first;
        if (first->second != builtIn)
        {
            name += "." + cShaderSystem::HashName(cShaderSystem::HashText(builtIn)).substr(0, 8);
        }
        const fs::path file = folder / (name + extension);
        if (source != nullptr)
        {
            // Edits to the maker's file would otherwise go nowhere, unsaid.
            unwatched.emplace(source, file.generic_string());
            cProblemLog::Instance().ReportKeyed(
                UnwatchedKey(source),
                "shader: " + std::string(source) +
                    (fs::path(source).is_absolute()
                         ? ": gone, so --dev cannot watch it"
                         : ": embedded by a relative path not found from here, so --dev cannot "
                           "watch it") +
                    "; its copy " + file.generic_string() + " is played");
        }
        return file;
    }

    static std::string UnwatchedKey(const std::string& source)
    {
        return "live-unwatched:" + source;
    }

    // An embedded file that is back: its programs build from it again.
    void PollUnwatched()
    {
        for (auto entry = unwatched.begin(); entry != unwatched.end();)
        {
            std::error_code error;
            if (!fs::exists(fs::symlink_status(entry->first, error)))
            {
                ++entry;
                continue;
            }
            cProblemLog::Instance().Resolve(UnwatchedKey(entry->first));
            const std::string copy = entry->second;
            entry = unwatched.erase(entry);
            RebuildUsersOf(copy);
        }
    }

    void RebuildUsersOf(const std::string& file)
    {
        struct Match
        {
            Impl* self;
            const std::string* file;
        } match{this, &file};
        cShaderSystem::RebuildWhere(
            [](const cShaderSystem& program, void* context)
            {
                const auto* m = static_cast<Match*>(context);
                auto used = m->self->users.find(&program);
                return used != m->self->users.end() && used->second.count(*m->file) != 0;
            },
            &match);
    }

    void ReportUnreadable(const fs::path& file, const std::string& why)
    {
        const std::string name = file.generic_string();
        cProblemLog::Instance().ReportKeyed("live:" + name, "shader: " + name + ": " + why +
                                                                "; the built-in text is used");
    }

    // The source file itself: an edit there is what the next build embeds.
    Text OpenSource(const fs::path& file, const std::string& builtIn)
    {
        Text entry;
        entry.file = file;
        entry.builtIn = builtIn;
        entry.text = builtIn;
        entry.stamp = StampOf(file);
        std::string why;
        if (!ReadText(file, entry.text, why))
        {
            ReportUnreadable(file, why);
        }
        return entry;
    }

    Text OpenCopy(const fs::path& file, const std::string& builtIn)
    {
        Text entry;
        entry.file = file;
        entry.builtIn = builtIn;
        entry.text = builtIn;
        entry.copy = true;
        const fs::path origin = OriginOf(file);
        std::error_code error;
        if (!fs::exists(fs::symlink_status(file, error)))
        {
            if (!WriteText(file, builtIn) || !WriteText(origin, builtIn))
            {
                cProblemLog::Instance().ReportKeyed("live:" + file.generic_string(),
                                                    "shader: " + file.generic_string() +
                                                        ": cannot write the built-in text");
            }
            entry.stamp = StampOf(file);
            return entry;
        }
        entry.stamp = StampOf(file);
        std::string text;
        std::string why;
        if (!ReadText(file, text, why))
        {
            ReportUnreadable(file, why);
            return entry;
        }
        std::string from;
        const bool known = ReadText(origin, from, why);
        if (known && text == from && from != builtIn)
        {
            // Untouched since it was written from an older text.
            if (WriteText(file, builtIn) && WriteText(origin, builtIn))
            {
                entry.stamp = StampOf(file);
                return entry;
            }
        }
        entry.text = std::move(text);
        CheckProvenance(entry, known ? &from : nullptr);
        return entry;
    }

    // A copy that is not the program's own text is played, and named when
    // nothing says it is an edit of that very text.
    void CheckProvenance(const Text& entry, const std::string* from)
    {
        const std::string name = entry.file.generic_string();
        const std::string key = "live-origin:" + name;
        if (entry.text == entry.builtIn)
        {
            if (from == nullptr || *from != entry.builtIn)
            {
                WriteText(OriginOf(entry.file), entry.builtIn);
            }
            cProblemLog::Instance().Resolve(key);
            return;
        }
        if (from != nullptr && *from == entry.builtIn)
        {
            return;
        }
        cProblemLog::Instance().ReportKeyed(
            key, "shader: " + name + ": differs from the program's own text, " +
                     (from != nullptr ? "which has changed since this copy was written"
                                      : "and does not say which text it was written from") +
                     "; the copy is played");
    }

    void PollTexts()
    {
        // Programs gone since their build need no rebuild.
        const std::vector<const cShaderSystem*> live = cShaderSystem::Programs();
        for (auto user = users.begin(); user != users.end();)
        {
            user = std::find(live.begin(), live.end(), user->first) == live.end()
                       ? users.erase(user)
                       : std::next(user);
        }
        for (auto& entry : texts)
        {
            Text& text = entry.second;
            const Stamp now = StampOf(text.file);
            if (!(now != text.stamp))
            {
                continue;
            }
            text.stamp = now;
            // Gone (an editor between two writes): keep the text in use
            // until the file is back.
            if (!now.exists)
            {
                continue;
            }
            std::string read;
            std::string why;
            if (!ReadText(text.file, read, why))
            {
                ReportUnreadable(text.file, why);
                continue;
            }
            cProblemLog::Instance().Resolve("live:" + entry.first);
            if (text.copy)
            {
                std::string from;
                const bool known = ReadText(OriginOf(text.file), from, why);
                Text seen = text;
                seen.text = read;
                CheckProvenance(seen, known ? &from : nullptr);
            }
            if (read == text.text)
            {
                continue;
            }
            text.text = std::move(read);
            RebuildUsersOf(entry.first);
        }
    }

    void PollPictures();
};

void cLiveReload::Impl::PollPictures()
{
    const std::vector<cTextureSystem*> live = cTextureSystem::Textures();
    std::map<const cTextureSystem*, Picture> seen;
    for (cTextureSystem* texture : live)
    {
        if (texture->GetPath().empty())
        {
            continue;
        }
        auto known = pictures.find(texture);
        if (known == pictures.end() || known->second.source != texture->GetPath())
        {
            // First seen, or loaded from elsewhere since: watched from now.
            Picture picture;
            picture.source = texture->GetPath();
            picture.file = texture->GetFilePath();
            picture.stamp = StampOf(picture.file);
            seen.emplace(texture, std::move(picture));
            continue;
        }
        Picture picture = std::move(known->second);
        const Stamp now = StampOf(picture.file);
        if (now != picture.stamp)
        {
            picture.stamp = now;
            if (now.exists && texture->Reload())
            {
                cProblemLog::Instance().Resolve(cTextureSystem::ProblemKey(texture->GetPath()));
            }
        }
        seen.emplace(texture, std::move(picture));
    }
    pictures.swap(seen);
}

cLiveReload::cLiveReload() : impl(new Impl) {}

cLiveReload::~cLiveReload()
{
    if (impl->started)
    {
        cShaderSystem::SetSourceHook(nullptr, nullptr);
    }
}

void cLiveReload::Start(const std::string& folder)
{
    impl->folder = fs::path(folder);
    std::error_code error;
    fs::create_directories(impl->folder, error);
    if (error)
    {
        cProblemLog::Instance().Reportf("shader: %s: cannot create the folder: %s", folder.c_str(),
                                        error.message().c_str());
    }
    // Files come with each program's first build: only what the production
    // builds gets one.
    cShaderSystem::SetSourceHook(&Impl::Source, impl.get());
    impl->started = true;
    impl->lastPoll = std::chrono::steady_clock::now();
}

void cLiveReload::Poll()
{
    if (!impl->started)
    {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now - impl->lastPoll < kPollInterval)
    {
        return;
    }
    impl->lastPoll = now;
    impl->PollUnwatched();
    impl->PollTexts();
    impl->PollPictures();
}

} // namespace MivexGL
