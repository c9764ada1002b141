#include "shell/message_client.h"

#include <QLocalSocket>

#include <cstdint>
#include <iostream>

#include "game/cp1252.h"
#include "shell/frame_messages.h"
#include "shell/message_wire.h"

namespace gz {

namespace {

const char* const kUsage =
    "gamezinko --send probe | exit | open PFAD | ask-path | received-path | compare PFAD | status FELD TEXT";

// An argument inside the one-line error: control characters would break it.
std::string quoted(const std::string& arg)
{
    std::string q = "\"";
    for (char c : arg)
        q += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
    return q + "\"";
}

// A status pane number: decimal digits of a 32-bit message parameter.
// Numbers past the four panes are sent all the same; the frame ignores them.
bool parsePane(const std::string& text, uint32_t& pane)
{
    if (text.empty() || text.size() > 10)
        return false;
    uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + static_cast<uint64_t>(c - '0');
    }
    if (v > UINT32_MAX)
        return false;
    pane = static_cast<uint32_t>(v);
    return true;
}

// Reads frames until the result; a copy-data frame before it (the path
// reply) is printed and answered with 1, as a window would.
bool exchange(QLocalSocket& socket, const std::string& request, int64_t& result, std::ostream& out)
{
    socket.write(QByteArray::fromStdString(request));
    socket.flush();
    std::string buffer;
    while (socket.waitForReadyRead(3000)) {
        buffer += socket.readAll().toStdString();
        bool bad = false;
        while (auto f = wire::takeFrame(buffer, bad)) {
            if (f->kind == wire::kCopyData) {
                out << cp1252::toUtf8(f->payload.substr(0, f->payload.find('\0'))) << '\n';
                socket.write(QByteArray::fromStdString(wire::encodeResult(1)));
                socket.flush();
            } else if (f->kind == wire::kResult) {
                result = f->result;
                return true;
            }
        }
        if (bad)
            return false;
    }
    return false;
}

}  // namespace

ClientRequest clientRequest(const std::vector<std::string>& args)
{
    struct Verb {
        const char* name;
        std::size_t operands;
        const char* form;
    };
    static const Verb verbs[] = {
        {"probe", 0, "probe"},       {"exit", 0, "exit"},
        {"ask-path", 0, "ask-path"}, {"received-path", 0, "received-path"},
        {"open", 1, "open PFAD"},    {"compare", 1, "compare PFAD"},
        {"status", 2, "status FELD TEXT"},
    };
    if (args.empty())
        return {{}, std::string("Aufruf: ") + kUsage};
    const std::string& verb = args[0];
    const Verb* v = nullptr;
    for (const Verb& candidate : verbs)
        if (verb == candidate.name)
            v = &candidate;
    if (!v)
        return {{}, "gamezinko --send: unbekannte Anfrage " + quoted(verb) + "; Aufruf: " + kUsage};
    if (args.size() != v->operands + 1)
        return {{}, std::string("gamezinko --send: falsche Zahl von Angaben; Aufruf: gamezinko --send ") + v->form};

    // The wire carries the program's code page, converted here once.
    std::string text = args.size() > 1 ? cp1252::fromUtf8(args.back()) : std::string();
    if (text.size() + 1 > wire::kMaxPayload)
        return {{}, "gamezinko --send " + verb + ": der Text ist zu lang"};
    if (verb == "probe")
        return {wire::encodeMessage(kMsgInstanceProbe, kInstanceProbeMagic, 0), {}};
    if (verb == "exit")
        return {wire::encodeMessage(kMsgInstanceControl, kInstanceExit, 0), {}};
    if (verb == "ask-path")
        return {wire::encodeMessage(kMsgInstanceControl, kInstanceAskPath, 0), {}};
    if (verb == "received-path")
        return {wire::encodeMessage(kMsgInstanceControl, kInstanceReceivedPath, 0), {}};
    if (verb == "open")
        return {wire::encodeCopyData(kCopyOpenDocument, text + '\0'), {}};
    if (verb == "compare")
        return {wire::encodeCopyData(kCopyComparePath, text + '\0'), {}};
    uint32_t pane = 0;
    if (!parsePane(args[1], pane))
        return {{}, "gamezinko --send status: " + quoted(args[1]) + " ist keine Feldnummer (0 bis 4294967295)"};
    return {wire::encodeMessage(kMsgSetStatusText, pane, 0, text), {}};
}

int runMessageClient(const std::vector<std::string>& args, const std::string& serverName, std::ostream& out,
                     std::ostream& err)
{
    const ClientRequest request = clientRequest(args);
    if (!request.error.empty()) {
        err << request.error << '\n';
        return 2;
    }
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(serverName));
    if (!socket.waitForConnected(1000)) {
        err << "GameZinko läuft nicht.\n";
        return 1;
    }
    int64_t result = 0;
    if (!exchange(socket, request.frame, result, out))
        return 1;
    out << result << '\n';
    out.flush();
    return 0;
}

int runMessageClient(const std::vector<std::string>& args, const std::string& serverName)
{
    return runMessageClient(args, serverName, std::cout, std::cerr);
}

}  // namespace gz
