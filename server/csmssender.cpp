#include "csmssender.h"

#include "cserveroptions.h"

#include <QDebug>
#include <QProcess>

#include <chrono>

namespace {
constexpr int kSenders = 4;
constexpr size_t kMaxQueued = 64;
constexpr int kCommandMs = 15000;
} // namespace

struct CSmsSender::T_Job
{
    T_Message message;
    std::function<void(bool)> whenDone;
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool sent = false;
};

CSmsSender &CSmsSender::instance()
{
    static CSmsSender sender;
    return sender;
}

CSmsSender::CSmsSender()
{
    for (int i = 0; i < kSenders; ++i)
        m_threads.emplace_back([this] { work(); });
}

CSmsSender::~CSmsSender()
{
    stop();
}

void CSmsSender::stop()
{
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    for (std::thread &t : m_threads) {
        if (t.joinable())
            t.join();
    }
    m_threads.clear();
}

CSmsSender::Outcome CSmsSender::send(const T_Message &message, int waitMs, std::function<void(bool)> whenDone)
{
    auto job = std::make_shared<T_Job>();
    job->message = message;
    job->whenDone = std::move(whenDone);
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        if (m_stopping || m_jobs.size() >= kMaxQueued)
            return Sms_Busy;
        m_jobs.push_back(job);
    }
    m_wake.notify_one();
    std::unique_lock<std::mutex> guard(job->mutex);
    if (!job->done.wait_for(guard, std::chrono::milliseconds(waitMs), [&job] { return job->finished; }))
        return Sms_Pending;
    return job->sent ? Sms_Sent : Sms_Failed;
}

void CSmsSender::work()
{
    for (;;) {
        std::shared_ptr<T_Job> job;
        {
            std::unique_lock<std::mutex> guard(m_mutex);
            m_wake.wait(guard, [this] { return m_stopping || !m_jobs.empty(); });
            if (m_stopping)
                return;
            job = m_jobs.front();
            m_jobs.pop_front();
        }
        const bool sent = runCommand(job->message);
        if (job->whenDone)
            job->whenDone(sent);
        {
            std::lock_guard<std::mutex> guard(job->mutex);
            job->finished = true;
            job->sent = sent;
        }
        job->done.notify_all();
    }
}

bool CSmsSender::runCommand(const T_Message &message)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUORVIN_SMS_PHONE"), message.phone);
    env.insert(QStringLiteral("QUORVIN_SMS_KIND"),
               message.code.isEmpty() ? QStringLiteral("notice") : QStringLiteral("code"));
    env.insert(QStringLiteral("QUORVIN_SMS_CODE"), message.code);
    env.insert(QStringLiteral("QUORVIN_SMS_TEXT"), message.text);
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), serverOptions().smsCommand});
    if (!process.waitForStarted(kCommandMs) || !process.waitForFinished(kCommandMs)) {
        process.kill();
        process.waitForFinished(1000);
        qWarning() << "the SMS command did not finish in time";
        return false;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        qWarning() << "the SMS command failed with exit code" << process.exitCode();
        return false;
    }
    return true;
}
