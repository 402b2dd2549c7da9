#include "app/recent_file_list.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(RecentFileList, DisplayNamesKeepTheFirstThreeCharactersAndTheLastFolder)
{
    struct Row {
        const char* path;
        const char* shown;
    };
    const Row rows[] = {
        {"/home/anna/Serie A/lampe.pxml", "/ho.../Serie A/lampe.pxml"},
        {"/home/anna/lampe.pxml", "/ho.../anna/lampe.pxml"},
        {"/a.pxml", "/a.pxml"},
        {"//server/share/x.pxml", "//s.../share/x.pxml"},
        {"/ab/x.pxml", "/ab/x.pxml"},
        {"lampe.pxml", "lampe.pxml"},
        {"daten/lampe.pxml", "daten/lampe.pxml"},
        {"/müller/straße/größe.pxml", "/mü.../straße/größe.pxml"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.path);
        EXPECT_EQ(CMyRecentFileList::DisplayName(QString::fromUtf8(r.path)), QString::fromUtf8(r.shown));
    }
    CMyRecentFileList list;
    QString name = QStringLiteral("unverändert");
    EXPECT_FALSE(list.GetDisplayName(name, 0));
    EXPECT_EQ(name, QStringLiteral("unverändert"));
}

TEST(RecentFileList, KeepsTenNewestFirstAndRoundTripsThroughTheSettings)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QSettings settings(dir.filePath(QStringLiteral("recent.ini")), QSettings::IniFormat);

    CMyRecentFileList list;
    for (int i = 0; i < 12; ++i)
        list.Add(QStringLiteral("/p/%1.pxml").arg(i));
    list.Add(QStringLiteral("/p/5.pxml"));
    ASSERT_EQ(list.GetSize(), 10);
    EXPECT_EQ(list.GetPath(0), QStringLiteral("/p/5.pxml"));
    EXPECT_EQ(list.GetPath(1), QStringLiteral("/p/11.pxml"));
    EXPECT_EQ(list.GetPath(9), QStringLiteral("/p/2.pxml"));
    list.Remove(1);
    list.WriteList(settings);
    settings.sync();
    EXPECT_EQ(settings.value(QStringLiteral("Recent File List/File1")).toString(), QStringLiteral("/p/5.pxml"));
    EXPECT_EQ(settings.value(QStringLiteral("Recent File List/File2")).toString(), QStringLiteral("/p/10.pxml"));
    EXPECT_FALSE(settings.contains(QStringLiteral("Recent File List/File10")));

    CMyRecentFileList read;
    read.ReadList(settings);
    EXPECT_EQ(read.GetSize(), 9);
    EXPECT_EQ(read.DisplayNames().value(0), QStringLiteral("/p/5.pxml"));
}

} // namespace
