// Reads the team's totals for the team window, on a thread of its own: a
// slow or silent server never holds the window up.
#pragma once

#include "core/team/teamserver.h"

#include <QDate>
#include <QObject>
#include <QThread>
#include <atomic>
#include <memory>

namespace zentova
{

class TeamReader : public QObject
{
    Q_OBJECT
public:
    explicit TeamReader(const QString &server);
    ~TeamReader() override;

    // Asks for the totals of the days from `first` to `last`; read()
    // answers. An ask while one is under way waits for it, and only the
    // newest of those waiting is made.
    void ask(const QDate &first, const QDate &last);

signals:
    // The totals, or why they could not be read (`totals` then empty).
    void read(const zentova::TeamTotals &totals, const QString &problem);

private:
    class Worker;
    std::shared_ptr<std::atomic<bool>> m_stop;
    QThread *m_thread; // goes on its own once it has finished
    Worker *m_worker = nullptr;
};

} // namespace zentova

Q_DECLARE_METATYPE(zentova::TeamTotals)
