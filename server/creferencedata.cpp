#include "creferencedata.h"

#include <QHash>
#include <QStringList>

namespace {

struct T_CateGroup
{
    const char *name;
    const char *children; // separated by ","
};

const T_CateGroup kMale[] = {
    {"玄幻", "东方玄幻,异世大陆,王朝争霸,高武世界"},
    {"奇幻", "现代魔法,剑与魔法,史诗奇幻,黑暗幻想"},
    {"武侠", "传统武侠,武侠幻想,国术无双,古武未来"},
    {"仙侠", "修真文明,幻想修仙,现代修真,神话修真,古典仙侠"},
    {"都市", "都市生活,都市异能,青春校园,娱乐明星,商战职场"},
    {"历史", "架空历史,秦汉三国,两宋元明,清史民国"},
    {"军事", "军旅生涯,军事战争,抗战烽火,谍战特工"},
    {"游戏", "电子竞技,虚拟网游,游戏异界"},
    {"科幻", "时空穿梭,未来世界,星际文明,末世危机,进化变异"},
    {"悬疑", "诡秘悬疑,探险生存,侦探推理"},
    {"体育", "篮球运动,足球运动,体育赛事"},
};

const T_CateGroup kFemale[] = {
    {"古代言情", "穿越奇情,宫闱宅斗,经商种田,古典架空,女尊王朝"},
    {"现代言情", "豪门世家,婚恋情缘,都市生活,商战职场,娱乐明星"},
    {"幻想言情", "玄幻言情,仙侠奇缘,星际恋歌,异世大陆"},
    {"浪漫青春", "青春校园,青春疼痛,纯爱"},
    {"悬疑推理", "悬疑探险,推理侦探,灵异奇谈"},
    {"科幻空间", "末世危机,时空穿梭,快穿"},
    {"游戏竞技", "电子竞技,虚拟网游"},
    {"短篇", "短篇言情,短篇故事"},
};

// First-level ids are 100 + n (male) and 200 + n (female); a child's id is
// its parent's times 100 plus its position.
template <size_t N>
QJsonArray channelTree(const T_CateGroup (&groups)[N], int base, QHash<qint64, qint64> &parents)
{
    QJsonArray out;
    for (size_t i = 0; i < N; ++i) {
        const qint64 id = base + static_cast<qint64>(i) + 1;
        parents.insert(id, base / 100);
        QJsonArray children;
        const QStringList names = QString::fromUtf8(groups[i].children).split(QLatin1Char(','));
        for (int j = 0; j < names.size(); ++j) {
            const qint64 childId = id * 100 + j + 1;
            parents.insert(childId, id);
            children.append(
                QJsonObject{{"cate_id", childId}, {"cate_name", names.at(j)}, {"children", QJsonArray()}});
        }
        out.append(QJsonObject{
            {"cate_id", id}, {"cate_name", QString::fromUtf8(groups[i].name)}, {"children", children}});
    }
    return out;
}

struct T_Tree
{
    QJsonObject json;
    QHash<qint64, qint64> parents;
    T_Tree()
    {
        const QJsonArray male = channelTree(kMale, 100, parents);
        const QJsonArray female = channelTree(kFemale, 200, parents);
        json = QJsonObject{{"version", CReferenceData::kCategoryVersion}, {"male", male}, {"female", female}};
    }
};

const T_Tree &tree()
{
    static const T_Tree t;
    return t;
}

const char *const kSensitive = "赌博、赌场、博彩、毒品、吸毒、贩毒、冰毒、海洛因、枪支、弹药、炸药、爆炸物、"
                               "恐怖袭击、邪教、传销、诈骗、洗钱、"
                               "高利贷、裸聊、色情、卖淫、嫖娼、代孕、假币、假证、办证、代开发票、买卖器官、"
                               "自杀、自残、虐杀、私服、外挂、刷单、"
                               "网络水军、翻墙、人肉搜索、非法集资";

} // namespace

namespace CReferenceData {

QJsonObject categories()
{
    return tree().json;
}

bool isCategory(qint64 cateId)
{
    return tree().parents.contains(cateId);
}

qint64 parentOf(qint64 cateId)
{
    return tree().parents.value(cateId, 0);
}

QString publicSensitiveWords()
{
    return QString::fromUtf8(kSensitive);
}

} // namespace CReferenceData
