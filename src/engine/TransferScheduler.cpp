#include "engine/TransferScheduler.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <optional>

namespace nimbra::engine {
namespace {

// How long a stopping scheduler still gives housekeeping (ending deleted uploads on the server).
constexpr std::chrono::seconds kHousekeepingGrace{3};

}  // namespace

TransferScheduler::TransferScheduler(size_t maxActive, size_t maxLight)
    : m_maxActive(std::max<size_t>(1, maxActive)),
      m_maxLight(std::max<size_t>(1, maxLight)),
      m_multi(curl_multi_init()) {
    curl_multi_setopt(m_multi, CURLMOPT_MAXCONNECTS, static_cast<long>((m_maxActive + m_maxLight) * 2));
    m_thread = std::thread([this] { Run(); });
}

TransferScheduler::~TransferScheduler() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    curl_multi_wakeup(m_multi);
    m_thread.join();
    for (auto& active : m_active) {
        if (active.inFlight) {
            curl_multi_remove_handle(m_multi, active.job->Request().Handle());
        }
    }
    m_active.clear();
    m_queue.clear();
    curl_multi_cleanup(m_multi);
}

void TransferScheduler::Enqueue(std::unique_ptr<TransferJob> job, bool urgent) {
    if (job->TaskId() != 0) {
        ++m_pendingTaskJobs;
    }
    Post(Queued{std::move(job), urgent});
}

bool TransferScheduler::Cancel(int32_t taskId) {
    {
        std::lock_guard lock(m_mutex);
        if (m_stop) {
            return false;
        }
    }
    auto done = std::make_shared<std::promise<bool>>();
    auto result = done->get_future();
    Post(Cancellation{taskId, std::move(done)});
    return result.get();
}

void TransferScheduler::Post(Command command) {
    {
        std::lock_guard lock(m_mutex);
        m_commands.push_back(std::move(command));
    }
    curl_multi_wakeup(m_multi);
}

void TransferScheduler::Run() {
    std::optional<std::chrono::steady_clock::time_point> stopDeadline;
    for (;;) {
        std::vector<Command> commands;
        {
            std::lock_guard lock(m_mutex);
            commands.swap(m_commands);
            if (m_stop && !stopDeadline) {
                stopDeadline = std::chrono::steady_clock::now() + kHousekeepingGrace;
            }
        }
        if (stopDeadline) {
            // Stopping: transfers end now (their tasks resume next time); housekeeping gets a short grace.
            std::erase_if(commands, [](Command& command) {
                auto* cancellation = std::get_if<Cancellation>(&command);
                if (cancellation) {
                    cancellation->done->set_value(false);
                }
                return cancellation != nullptr;
            });
        }
        for (auto& command : commands) {
            Apply(command);
        }
        if (stopDeadline) {
            DropTaskJobs();
            if ((m_active.empty() && m_queue.empty()) || std::chrono::steady_clock::now() > *stopDeadline) {
                break;
            }
        }
        FillSlots();

        int running = 0;
        curl_multi_perform(m_multi, &running);
        bool progressed = false;
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(m_multi, &left)) {
            if (message->msg != CURLMSG_DONE) {
                continue;
            }
            CURL* easy = message->easy_handle;
            const CURLcode code = message->data.result;
            curl_multi_remove_handle(m_multi, easy);
            const auto it = std::find_if(m_active.begin(), m_active.end(), [&](const Active& a) {
                return a.job && a.job->Request().Handle() == easy;
            });
            if (it != m_active.end()) {
                it->inFlight = false;
                it->job->Request().Complete(code);
                Drive(*it, &it->job->Request());
                progressed = true;
            }
        }
        if (progressed) {
            m_active.erase(
                std::remove_if(m_active.begin(), m_active.end(), [](const Active& a) { return !a.job; }),
                m_active.end());
            continue;  // freed slots and next requests start without waiting
        }
        curl_multi_poll(m_multi, nullptr, 0, stopDeadline ? 100 : 1000, nullptr);
    }
}

void TransferScheduler::DropTaskJobs() {
    for (auto& active : m_active) {
        if (active.job && active.job->TaskId() != 0) {
            if (active.inFlight) {
                curl_multi_remove_handle(m_multi, active.job->Request().Handle());
            }
            Retire(std::move(active.job));
        }
    }
    m_active.erase(std::remove_if(m_active.begin(), m_active.end(), [](const Active& a) { return !a.job; }),
                   m_active.end());
    for (auto it = m_queue.begin(); it != m_queue.end();) {
        if ((*it)->TaskId() != 0) {
            Retire(std::move(*it));
            it = m_queue.erase(it);
        } else {
            ++it;
        }
    }
}

void TransferScheduler::Apply(Command& command) {
    if (auto* queued = std::get_if<Queued>(&command)) {
        if (queued->urgent) {
            m_queue.push_front(std::move(queued->job));
        } else {
            m_queue.push_back(std::move(queued->job));
        }
    } else if (auto* cancellation = std::get_if<Cancellation>(&command)) {
        cancellation->done->set_value(CancelTask(cancellation->taskId));
    } else if (auto* woken = std::get_if<Woken>(&command)) {
        const auto it = std::find_if(m_active.begin(), m_active.end(),
                                     [&](const Active& a) { return a.serial == woken->serial; });
        if (it != m_active.end() && !it->inFlight) {
            Drive(*it, nullptr);
            m_active.erase(
                std::remove_if(m_active.begin(), m_active.end(), [](const Active& a) { return !a.job; }),
                m_active.end());
        }
    }
}

bool TransferScheduler::CancelTask(int32_t taskId) {
    bool found = false;
    for (auto& active : m_active) {
        if (active.job && active.job->TaskId() == taskId) {
            if (active.inFlight) {
                curl_multi_remove_handle(m_multi, active.job->Request().Handle());
            }
            Retire(std::move(active.job));
            found = true;
        }
    }
    m_active.erase(std::remove_if(m_active.begin(), m_active.end(), [](const Active& a) { return !a.job; }),
                   m_active.end());
    for (auto it = m_queue.begin(); it != m_queue.end();) {
        if ((*it)->TaskId() == taskId) {
            Retire(std::move(*it));
            it = m_queue.erase(it);
            found = true;
        } else {
            ++it;
        }
    }
    return found;
}

bool TransferScheduler::HasSlotFor(bool light) const {
    const auto running = static_cast<size_t>(
        std::count_if(m_active.begin(), m_active.end(), [&](const Active& a) { return a.light == light; }));
    return running < (light ? m_maxLight : m_maxActive);
}

void TransferScheduler::FillSlots() {
    for (auto it = m_queue.begin(); it != m_queue.end();) {
        const bool light = (*it)->Light();
        if (!HasSlotFor(light)) {
            ++it;
            continue;
        }
        m_active.push_back(Active{m_nextSerial++, std::move(*it), light});
        it = m_queue.erase(it);
        Active& active = m_active.back();
        const uint64_t serial = active.serial;
        active.job->SetWake([this, serial] { Post(Woken{serial}); });
        Drive(active, nullptr);
        if (!active.job) {
            m_active.pop_back();  // ended at once (say, its file vanished): the slot is free again
        }
    }
}

void TransferScheduler::Drive(Active& active, HttpRequest* finished) {
    switch (active.job->Advance(finished)) {
        case TransferJob::Step::Send:
            active.inFlight = true;
            curl_multi_add_handle(m_multi, active.job->Request().Finish());
            break;
        case TransferJob::Step::Wait:
            break;
        case TransferJob::Step::Done:
            Retire(std::move(active.job));
            break;
    }
}

void TransferScheduler::Retire(std::unique_ptr<TransferJob> job) {
    if (job->TaskId() != 0) {
        --m_pendingTaskJobs;
    }
    job.reset();
}

}  // namespace nimbra::engine
