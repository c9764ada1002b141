#include "shell/message_client.h"

#include <QLocalSocket>

#include <cstdio>

#include "shell/frame_messages.h"
#include "shell/message_wire.h"

namespace gz {

namespace {

// Reads frames until the result; a copy-data frame before it (the path
// reply) is printed and answered with 1, as a window would.
bool exchange(QLocalSocket& socket, const std::string& request, int64_t& result)
{
    socket.write(QByteArray::fromStdString(request));
    socket.flush();
    std::string buffer;
    while (socket.waitForReadyRead(3000)) {
        buffer += socket.readAll().toStdString();
        bool bad = false;
        while (auto f = wire::takeFrame(buffer, bad)) {
            if (f->kind == wire::kCopyData) {
                std::string text = f->payload.substr(0, f->payload.find('\0'));
                std::printf("%s\n", text.c_str());
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

int runMessageClient(const std::vector<std::string>& args, const std::string& serverName)
{
    if (args.empty()) {
        std::fprintf(stderr, "usage: gamezinko --send probe|exit|open PATH|ask-path|received-path|compare PATH|status PANE TEXT\n");
        return 2;
    }
    const std::string& verb = args[0];
    std::string request;
    if (verb == "probe" && args.size() == 1)
        request = wire::encodeMessage(kMsgInstanceProbe, kInstanceProbeMagic, 0);
    else if (verb == "exit" && args.size() == 1)
        request = wire::encodeMessage(kMsgInstanceControl, kInstanceExit, 0);
    else if (verb == "ask-path" && args.size() == 1)
        request = wire::encodeMessage(kMsgInstanceControl, kInstanceAskPath, 0);
    else if (verb == "received-path" && args.size() == 1)
        request = wire::encodeMessage(kMsgInstanceControl, kInstanceReceivedPath, 0);
    else if (verb == "open" && args.size() == 2)
        request = wire::encodeCopyData(kCopyOpenDocument, args[1] + '\0');
    else if (verb == "compare" && args.size() == 2)
        request = wire::encodeCopyData(kCopyComparePath, args[1] + '\0');
    else if (verb == "status" && args.size() == 3)
        request = wire::encodeMessage(kMsgSetStatusText, std::stoul(args[1]), 0, args[2]);
    else {
        std::fprintf(stderr, "gamezinko --send: unknown request '%s'\n", verb.c_str());
        return 2;
    }
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(serverName));
    if (!socket.waitForConnected(1000)) {
        std::fprintf(stderr, "GameZinko läuft nicht.\n");
        return 1;
    }
    int64_t result = 0;
    if (!exchange(socket, request, result))
        return 1;
    std::printf("%lld\n", static_cast<long long>(result));
    return 0;
}

}  // namespace gz
