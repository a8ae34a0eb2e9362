#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGHUP and SIGINT reach the event loop as a signal of their own:
// the handler only writes a byte to a pipe, and a QSocketNotifier on the
// other end hands it to the program, which then ends in good order. One a
// process; the handlers stay installed for its life.
class SessionEnd : public QObject {
    Q_OBJECT
public:
    explicit SessionEnd(QObject* parent = nullptr);
    ~SessionEnd() override;

signals:
    void terminationRequested();

private:
    QSocketNotifier* notifier_ = nullptr;
};
