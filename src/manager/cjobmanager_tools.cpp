#include "cjobmanager.h"

#include "csystemmanager.h"
#include "db/cquorvindb.h"
#include "remote/chttputil.h"

#include <QDebug>

bool CJobManager::sensitiveEditCustom(const QString &words)
{
    const int uid = m_session->author.uid;
    if (uid < 1)
        return false;
    T_Http_C header;
    header.uid = uid;
    if (!m_db->saveCustomSensitiveWords(header, words, HttpUtil::serverTimeNow())) {
        qWarning() << "cannot store the author's sensitive words, uid =" << uid;
        return false;
    }
    m_session->authorSensitiveWords = words;
    m_session->sensitiveMatcher.setCustomList(words);
    checkUserJob();
    return true;
}

void CJobManager::randomNames(int kind, int gender, int surnameChoice, int length, QStringList &out,
                              int count, const QString &surname)
{
    m_system->randomNames(kind, gender, surnameChoice, length, out, count, surname);
}

void CJobManager::randomSurnames(int kind, int surnameChoice, QStringList &out, int count)
{
    m_system->randomSurnames(kind, surnameChoice, out, count);
}
