#include "PtyPeer.h"

#include "TestOwner.h"

void PtyPeer::write(const QByteArray& bytes)
{
    m_end.write(bytes);
}

QByteArray PtyPeer::received()
{
    onReadable();
    return m_received;
}

bool PtyPeer::waitForReceived(int n, int timeoutMs)
{
    return WaitUntil([&] { return received().size() >= n; }, timeoutMs);
}

void PtyPeer::setResponder(std::function<QByteArray(const QByteArray&)> responder)
{
    m_responder = std::move(responder);
}

void PtyPeer::onReadable()
{
    const QByteArray chunk = m_end.readAvailable();
    if (chunk.isEmpty())
        return;
    m_received.append(chunk);
    if (m_responder)
        write(m_responder(chunk));
}
