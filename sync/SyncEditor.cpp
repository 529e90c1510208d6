// Everything on the socket is buffered both ways, so a frame only ever hands
// the system what it takes at once and reads what has already arrived.
#include "sync/SyncEditor.h"

#include "log/ProblemLog.h"

#include <cstdio>
#include <cstring>

namespace MivexGL
{

namespace
{

constexpr char kGreeting[] = "hello, synctracker!";
constexpr char kAnswer[] = "hello, demo!";
constexpr std::size_t kAnswerSize = sizeof kAnswer - 1;
// Bounds one frame's reading when an editor floods us: what is not taken
// stays in the system's buffer, and the editor's sending waits.
constexpr std::size_t kMostPerPoll = 64 * 1024;
// Every line about the connection: a retry that fails the same way is not
// news, and a connection that works takes them off the overlay.
constexpr char kProblemKey[] = "sync:editor";

std::uint32_t GetU32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | static_cast<std::uint32_t>(p[3]);
}

void PutU32(std::uint8_t* p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

} // namespace

long ReadSyncCommand(const std::uint8_t* data, std::size_t size, cSyncCommand& command)
{
    if (size == 0)
    {
        return 0;
    }
    std::size_t length = 0;
    switch (data[0])
    {
    case cSyncCommand::kSetKey:
        length = 14;
        break;
    case cSyncCommand::kDeleteKey:
        length = 9;
        break;
    case cSyncCommand::kSetRow:
        length = 5;
        break;
    case cSyncCommand::kPause:
        length = 2;
        break;
    case cSyncCommand::kSaveTracks:
        length = 1;
        break;
    default:
        return -1;
    }
    if (size < length)
    {
        return 0;
    }
    command = cSyncCommand{};
    command.kind = static_cast<cSyncCommand::Kind>(data[0]);
    switch (command.kind)
    {
    case cSyncCommand::kSetKey:
    {
        command.track = GetU32(data + 1);
        command.row = GetU32(data + 5);
        const std::uint32_t bits = GetU32(data + 9);
        std::memcpy(&command.value, &bits, 4);
        command.interpolation = data[13];
        if (command.interpolation > 3)
        {
            return -1;
        }
        break;
    }
    case cSyncCommand::kDeleteKey:
        command.track = GetU32(data + 1);
        command.row = GetU32(data + 5);
        break;
    case cSyncCommand::kSetRow:
        command.row = GetU32(data + 1);
        break;
    case cSyncCommand::kPause:
        command.paused = data[1] != 0;
        break;
    default:
        break;
    }
    return static_cast<long>(length);
}

cSyncEditor::~cSyncEditor()
{
    Disconnect();
}

void cSyncEditor::SetAddress(std::string newAddress, std::uint16_t newPort)
{
    Disconnect();
    address = std::move(newAddress);
    port = newPort;
    nextTry = {};
}

void cSyncEditor::Disconnect()
{
    platform::CloseSocket(socket);
    socket = platform::kNoSocket;
    state = State::kIdle;
    outgoing.clear();
    incoming.clear();
    tracksAsked = 0;
}

void cSyncEditor::Drop(const std::string& why)
{
    MivexGL::cProblemLog::Instance().ReportKeyed(
        kProblemKey, "sync: editor at " + address + ":" + std::to_string(port) + ": " + why +
                         "; playing on with its keys, trying again every " +
                         std::to_string(retryInterval.count()) + " ms");
    Disconnect();
    nextTry = std::chrono::steady_clock::now() + retryInterval;
    // The retries that follow are not news.
    toldNoEditor = true;
}

void cSyncEditor::TryConnect()
{
    triedAt = std::chrono::steady_clock::now();
    nextTry = triedAt + retryInterval;
    socket = platform::ConnectSocket(address, port);
    state = State::kConnecting;
    if (socket == platform::kNoSocket)
    {
        state = State::kIdle;
        ++failedTries;
    }
}

void cSyncEditor::Queue(const std::uint8_t* data, std::size_t size)
{
    outgoing.insert(outgoing.end(), data, data + size);
}

void cSyncEditor::RequestTrack(const std::string& name)
{
    if (state != State::kReady)
    {
        return;
    }
    std::uint8_t head[5] = {cSyncCommand::kGetTrack};
    PutU32(head + 1, static_cast<std::uint32_t>(name.size()));
    Queue(head, sizeof head);
    Queue(reinterpret_cast<const std::uint8_t*>(name.data()), name.size());
    ++tracksAsked;
}

void cSyncEditor::SendRow(std::uint32_t row)
{
    if (state != State::kReady)
    {
        return;
    }
    std::uint8_t message[5] = {cSyncCommand::kSetRow};
    PutU32(message + 1, row);
    Queue(message, sizeof message);
}

bool cSyncEditor::Flush()
{
    while (!outgoing.empty())
    {
        const long sent = platform::SendSocket(socket, outgoing.data(), outgoing.size());
        if (sent < 0)
        {
            return false;
        }
        if (sent == 0)
        {
            return true;
        }
        outgoing.erase(outgoing.begin(), outgoing.begin() + sent);
    }
    return true;
}

bool cSyncEditor::Receive()
{
    std::uint8_t chunk[4096];
    std::size_t taken = incoming.size();
    while (taken < kMostPerPoll)
    {
        const long got = platform::ReceiveSocket(socket, chunk, sizeof chunk);
        if (got < 0)
        {
            return false;
        }
        if (got == 0)
        {
            break;
        }
        incoming.insert(incoming.end(), chunk, chunk + got);
        taken += static_cast<std::size_t>(got);
    }
    return true;
}

bool cSyncEditor::ReadCommands(std::vector<cSyncCommand>& commands)
{
    std::size_t at = 0;
    for (std::size_t taken = 0; at < incoming.size() && taken < kMostCommandsPerPoll; ++taken)
    {
        cSyncCommand command;
        const long used = ReadSyncCommand(incoming.data() + at, incoming.size() - at, command);
        if (used == 0)
        {
            break;
        }
        if (used < 0)
        {
            Drop(incoming[at] == cSyncCommand::kSetKey
                     ? "key with unknown interpolation " + std::to_string(incoming[at + 13])
                     : "unknown command " + std::to_string(incoming[at]));
            return false;
        }
        if ((command.kind == cSyncCommand::kSetKey || command.kind == cSyncCommand::kDeleteKey) &&
            command.track >= tracksAsked)
        {
            Drop("track " + std::to_string(command.track) + " was never asked for");
            return false;
        }
        commands.push_back(command);
        at += static_cast<std::size_t>(used);
    }
    incoming.erase(incoming.begin(), incoming.begin() + static_cast<std::ptrdiff_t>(at));
    return true;
}

bool cSyncEditor::Poll(std::vector<cSyncCommand>& commands)
{
    if (state == State::kIdle && std::chrono::steady_clock::now() >= nextTry)
    {
        TryConnect();
    }
    if (state == State::kConnecting)
    {
        const platform::SocketState now = platform::CheckSocket(socket);
        if (now == platform::SocketState::kFailed)
        {
            Disconnect();
            ++failedTries;
        }
        else if (now == platform::SocketState::kOpen)
        {
            state = State::kGreeting;
            Queue(reinterpret_cast<const std::uint8_t*>(kGreeting), sizeof kGreeting - 1);
        }
    }
    if (state == State::kIdle)
    {
        if (!toldNoEditor)
        {
            MivexGL::cProblemLog::Instance().ReportKeyed(
                kProblemKey, "sync: no editor at " + address + ":" + std::to_string(port) +
                                 "; playing the tracks from files");
            toldNoEditor = true;
        }
        return false;
    }
    // A peer that takes the connection and never answers would hold the
    // link for good.
    const bool late = std::chrono::steady_clock::now() - triedAt > greetingTimeout;
    const std::string wait = std::to_string(greetingTimeout.count()) + " ms";
    if (state == State::kConnecting)
    {
        if (late)
        {
            Drop("no connection within " + wait);
        }
        return false;
    }
    // What arrived first: an editor that hung up is told apart from a
    // connection that broke under our sending.
    const bool open = Receive();
    bool answered = false;
    if (state == State::kGreeting && incoming.size() >= kAnswerSize)
    {
        if (std::memcmp(incoming.data(), kAnswer, kAnswerSize) != 0)
        {
            Drop("did not answer the greeting");
            return false;
        }
        incoming.erase(incoming.begin(), incoming.begin() + kAnswerSize);
        state = State::kReady;
        answered = true;
        MivexGL::cProblemLog& problems = MivexGL::cProblemLog::Instance();
        problems.Resolve(kProblemKey);
        problems.Reportf("sync: editor connected at %s:%u", address.c_str(),
                         static_cast<unsigned>(port));
    }
    if (state == State::kGreeting && late)
    {
        Drop("did not answer the greeting within " + wait);
        return false;
    }
    if (state == State::kReady && !ReadCommands(commands))
    {
        return false;
    }
    if (!open)
    {
        Drop(incoming.empty() ? "hung up" : "hung up in the middle of a command");
        return false;
    }
    if (!Flush())
    {
        Drop("connection lost");
        return false;
    }
    return answered;
}

} // namespace MivexGL
