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

const char *const kNames[12] = {
    // 1 single-character surnames
    "王,李,张,刘,陈,杨,黄,赵,吴,周,徐,孙,马,朱,胡,郭,何,高,林,罗,郑,梁,谢,宋,唐,许,韩,冯,邓,曹,彭,曾,肖,田,"
    "董,"
    "袁,潘,于,蒋,蔡,余,杜,叶,程,苏,魏,吕,丁,任,沈,姚,卢,姜,崔,钟,谭,陆,汪,范,金,石,廖,贾,夏,韦,方,白,邹,孟,"
    "熊,"
    "秦,邱,江,尹,薛,段,雷,侯,龙,史,陶,黎,贺,顾,毛,郝,龚,邵,万,钱,严,武,戴,莫,孔,向,汤,楚,温,柳,沐,云,洛,萧,"
    "凌",
    // 2 compound surnames
    "欧阳,上官,司马,诸葛,东方,南宫,西门,令狐,慕容,皇甫,尉迟,公孙,长孙,宇文,轩辕,端木,独孤,夏侯,司徒,百里,"
    "澹台,赫连,钟离,呼延,东郭,闻人,太史,申屠,万俟,拓跋",
    // 3 one-character given names, male
    "伟,强,磊,军,勇,杰,涛,斌,超,明,刚,平,辉,鹏,华,飞,鑫,波,宇,浩,凯,健,俊,帆,旭,宁,龙,林,阳,峰,晨,辰,昊,然,"
    "轩,"
    "泽,霖,炎,毅,恒,锋,铭,渊,弈,珩,衍,骁,翊",
    // 4 one-character given names, female
    "芳,娜,敏,静,丽,艳,娟,霞,燕,玲,婷,雪,慧,颖,琳,洁,倩,晴,月,瑶,琪,萱,妍,悦,璇,婉,蕾,薇,欣,怡,岚,珊,璐,菲,"
    "露,"
    "曦,瑾,嫣,黛",
    // 5 two-character given names, male
    "子轩,浩然,宇轩,俊杰,博文,天佑,志强,明轩,晨阳,子墨,思远,梓豪,承泽,云深,景行,修远,致远,逸尘,子骞,睿泽,"
    "明哲,弘毅,文博,立诚,嘉懿,昊天,星河,长风,青云,少卿",
    // 6 two-character given names, female
    "欣怡,梓涵,诗涵,雨桐,语嫣,若曦,婉清,紫萱,思琪,梦瑶,静怡,雅琴,清歌,初雪,念安,书瑶,芷若,灵溪,映雪,晚晴,"
    "知意,沐晴,可馨,依诺,安然,听雪,南枝,锦书,月华,素衣",
    // 7 Japanese surnames
    "佐藤,铃木,高桥,田中,渡边,伊藤,山本,中村,小林,加藤,吉田,山田,佐佐木,山口,松本,井上,木村,清水,山崎,池田,"
    "桥本,阿部,石川,藤原,宫本,北条,织田,源,三浦,千叶",
    // 8 Japanese given names, male
    "太郎,一郎,健太,翔太,大辉,拓海,莲,阳斗,悠真,隼人,龙之介,秀一,和也,直树,勇气,光,修,诚,凉介,达也",
    // 9 Japanese given names, female
    "樱,美咲,阳菜,结衣,葵,凛,优奈,千寻,小百合,惠子,由美,明日香,真由美,彩花,七海,莉子,奈奈,爱子,纱织,琴音",
    // 10 Western surnames
    "史密斯,约翰逊,威廉姆斯,布朗,琼斯,米勒,戴维斯,加西亚,威尔逊,安德森,泰勒,托马斯,摩尔,马丁,杰克逊,怀特,"
    "哈里斯,克拉克,刘易斯,沃克,霍尔,艾伦,赖特,斯科特,格林,贝克,亚当斯,坎贝尔,帕克,埃文斯",
    // 11 Western given names, male
    "亚瑟,查尔斯,爱德华,亨利,詹姆斯,威廉,乔治,托马斯,理查德,迈克尔,丹尼尔,大卫,约瑟夫,本杰明,塞缪尔,卢卡斯,"
    "西奥多,奥斯卡,利奥,伊桑",
    // 12 Western given names, female
    "艾米丽,奥利维亚,索菲亚,伊莎贝拉,夏洛特,艾玛,米娅,阿米莉亚,伊芙琳,克莱尔,露西,安娜,格蕾丝,维多利亚,"
    "艾丽斯,"
    "罗丝,贝拉,佐伊,黛西,奥黛丽",
};

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

QJsonArray nameLists()
{
    QJsonArray out;
    for (int i = 0; i < 12; ++i)
        out.append(QJsonObject{{"type", QString::number(i + 1)}, {"content", QString::fromUtf8(kNames[i])}});
    return out;
}

} // namespace CReferenceData
