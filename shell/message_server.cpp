#include "shell/message_server.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "shell/frame_messages.h"
#include "shell/message_wire.h"

namespace gz {

// One connection of the message interface: what it sent and the answer it
// owes us. A child of its socket, so it goes with it.
class MessagePeer : public QObject {
public:
    explicit MessagePeer(QLocalSocket* s) : QObject(s), socket(s) { answerTimer.setSingleShot(true); }

    void send(const std::string& bytes)
    {
        socket->write(QByteArray::fromStdString(bytes));
        socket->flush();
    }

    QLocalSocket* const socket;
    wire::Inbox inbox;
    QTimer answerTimer;   // how long we wait for the owed answer
};

namespace {

// Where QLocalServer puts the socket of a name. The lock file that says who
// owns the name lies beside it, so starts that share a socket share a lock.
QString socketPath(const QString& name)
{
    if (name.startsWith(QLatin1Char('/')))
        return name;
    return QDir::cleanPath(QDir::tempPath()) + QLatin1Char('/') + name;
}

// Holds a lock file until deleted, and removes it then. The system drops
// the lock when the process ends, so a crashed instance leaves at most an
// unlocked file behind.
class NameLock : public QObject {
public:
    // Nothing when another live instance (this process included) holds it.
    static NameLock* take(const QString& path, QObject* parent)
    {
        const QByteArray file = QFile::encodeName(path);
        // A holder removes the file as it ends; a lock won on a file removed
        // meanwhile is no lock, so try the new file.
        for (int attempt = 0; attempt < 3; ++attempt) {
            const int fd = ::open(file.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
            if (fd < 0)
                return nullptr;
            if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
                ::close(fd);
                return nullptr;
            }
            struct stat held {}, named {};
            if (::fstat(fd, &held) == 0 && ::lstat(file.constData(), &named) == 0 && held.st_dev == named.st_dev &&
                held.st_ino == named.st_ino)
                return new NameLock(file, fd, parent);
            ::close(fd);
        }
        return nullptr;
    }
    ~NameLock() override
    {
        ::unlink(file_.constData());
        ::close(fd_);
    }

private:
    NameLock(QByteArray file, int fd, QObject* parent) : QObject(parent), file_(std::move(file)), fd_(fd) {}
    QByteArray file_;
    int fd_;
};

bool somebodyAnswers(const QString& name)
{
    QLocalSocket probe;
    probe.connectToServer(name);
    return probe.waitForConnected(200);
}

}  // namespace

MessageServer::MessageServer(FrameMessageHandler& messages, QObject* parent) : QObject(parent), messages_(messages)
{
}

intptr_t MessageServer::sendCopyData(uintptr_t asker, uint32_t code, const std::string& payload)
{
    auto* peer = reinterpret_cast<MessagePeer*>(asker);
    if (!peer || peer != asking_)
        return 0;
    // The asker's answer becomes the message's result when it comes (see
    // serve); the window thread never waits for another process.
    peer->send(wire::encodeCopyData(code, payload));
    peer->inbox.expectAnswer();
    peer->answerTimer.start(answerWait_);
    return 0;
}

bool MessageServer::listen(const QString& name)
{
    // Binding takes a name over even from a live instance, and closing a
    // server removes its name even when another has bound it since. So the
    // name belongs to the holder of its lock file, and even a lock holder
    // leaves a name alone that somebody answers on (a start with another
    // temporary folder takes another lock file). A name nobody answers on
    // was left by a crash and is taken over.
    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    // The lock is the server's child: it goes after the server has closed.
    bool ok = NameLock::take(socketPath(name) + QStringLiteral(".lock"), server) && !somebodyAnswers(name);
    if (ok) {
        QLocalServer::removeServer(name);
        ok = server->listen(name);
    }
    if (!ok) {
        delete server;
        return false;
    }
    server_ = server;
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = server_->nextPendingConnection()) {
            auto* peer = new MessagePeer(s);
            connect(s, &QLocalSocket::readyRead, this, [this, peer] { serve(*peer); });
            connect(&peer->answerTimer, &QTimer::timeout, this, [this, peer] {
                // No answer in time: the asker gets 0, its other requests go on.
                peer->inbox.dropAnswer();
                peer->send(wire::encodeResult(0));
                serve(*peer);
            });
            connect(s, &QLocalSocket::disconnected, peer, [peer] { peer->answerTimer.stop(); });
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
        }
    });
    return true;
}

void MessageServer::serve(MessagePeer& peer)
{
    const bool intact = peer.inbox.feed(peer.socket->readAll().toStdString());
    while (auto f = peer.inbox.next()) {
        int64_t result = 0;
        if (f->kind == wire::kResult) {
            // The answer to our path reply: the result of the asking message.
            peer.answerTimer.stop();
            result = f->result;
        } else if (f->kind == wire::kMessage) {
            asking_ = &peer;
            uintptr_t second = f->message == kMsgInstanceControl && f->first == kInstanceAskPath
                                   ? reinterpret_cast<uintptr_t>(&peer)
                                   : static_cast<uintptr_t>(f->second);
            if (f->message == kMsgInstanceControl && f->first == kInstanceReceivedPath) {
                // Another process cannot follow a reference: send the text itself.
                peer.send(wire::encodeCopyData(kCopyPathReply, messages_.receivedPath() + '\0'));
                result = 1;
            } else {
                result = messages_.handle(f->message, static_cast<uintptr_t>(f->first), second, f->payload);
            }
            asking_ = nullptr;
            if (peer.inbox.answerOwed())
                continue;   // the result follows the asker's answer
        } else {
            result = messages_.copyData(f->message, f->payload);
        }
        peer.send(wire::encodeResult(result));
    }
    if (!intact)
        peer.socket->disconnectFromServer();
}

}  // namespace gz
