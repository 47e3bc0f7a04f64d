#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

namespace tessaly {

// Turns SIGTERM, SIGINT and SIGHUP into a signal on the main thread, so that the program can end
// the way it ends when the user quits: through its event loop, with its files written. The
// handlers are installed while one object of this class exists and the previous ones are put
// back when it goes.
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    bool isValid() const { return m_notifier != nullptr; }

Q_SIGNALS:
    void received(int signalNumber);

private:
    void readPending();

    int m_fds[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> m_notifier;
};

} // namespace tessaly
