#pragma once

#include <QString>

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// Runs the operator's SMS command on threads of its own, never on a
// request worker: a slow gateway holds a sender, not the server. The
// command gets the number in QUORVIN_SMS_PHONE and either a code in
// QUORVIN_SMS_CODE or, for a notice, the text in QUORVIN_SMS_TEXT (with
// QUORVIN_SMS_KIND "code" or "notice"); it exits with 0 once the message is
// on its way.
class CSmsSender
{
public:
    static CSmsSender &instance();

    struct T_Message
    {
        QString phone;
        QString code; // a code, or empty for a notice
        QString text; // the notice
    };
    enum Outcome
    {
        Sms_Sent,
        Sms_Failed,
        Sms_Pending, // still under way when the caller stopped waiting
        Sms_Busy,    // too many messages wait already: not queued
    };

    // Queues the message and waits up to `waitMs` for the command's
    // outcome. `whenDone` (may be empty) runs on the sender with the final
    // result once the command has ended.
    Outcome send(const T_Message &message, int waitMs, std::function<void(bool)> whenDone = {});
    void stop();

private:
    CSmsSender();
    ~CSmsSender();
    struct T_Job;
    void work();
    static bool runCommand(const T_Message &message);

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::shared_ptr<T_Job>> m_jobs;
    std::vector<std::thread> m_threads;
    bool m_stopping = false;
};
