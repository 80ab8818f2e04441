#pragma once
// A dialog's window timers: ids and periods as the dialog gives them, each on its own QTimer, calling
// the dialog's OnTimer(id). Each QTimer is a child named after its id. Setting an id that runs already
// restarts it with the new period.

#include <QObject>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QTimer;

class WindowTimers final : public QObject {
    Q_OBJECT
public:
    using Callback = std::function<void(unsigned id)>;
    // The shortest period a timer gets; shorter ones are raised to it, as window timers are.
    static constexpr unsigned kMinimumPeriod = 10;

    explicit WindowTimers(Callback onTimer, QObject* parent = nullptr);
    ~WindowTimers() override;

    // Starts or restarts timer id; returns id.
    unsigned SetTimer(unsigned id, unsigned milliseconds);
    // Stops timer id; false when it was not running.
    bool KillTimer(unsigned id);
    void KillAll();

    bool IsActive(unsigned id) const;
    // The period of a running timer, or 0.
    unsigned Period(unsigned id) const;
    std::vector<unsigned> ActiveIds() const;

private:
    static void Retire(std::unique_ptr<QTimer> timer);

    Callback m_onTimer;
    std::map<unsigned, std::unique_ptr<QTimer>> m_timers;
};
