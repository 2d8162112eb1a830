// The decoded pictures kept by file: a file is decoded once until asked for fresh, the
// pictures in use stay, of the others only the last few, and a file that fails to load
// changes nothing that is kept.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "picture/Picture.h"
#include "picture/PictureCache.h"
#include "toolkit/Errors.h"

TEST(PictureCache, KeepsWhatIsInUseAndOnlyTheLastFewOthers) {
    TempDir dir;
    std::vector<std::string> files;
    for (int i = 0; i < 8; ++i) {
        files.push_back(dir.File("b" + std::to_string(i) + ".bmp"));
        WriteBmp(files.back(), 10 + i, 5, 0x123456);
    }
    TPictureCache cache;
    const TPicture& first = cache.Load(files[0]);
    EXPECT_EQ(first.Width(), 10);
    EXPECT_EQ(&cache.Load(files[0]), &first) << "decoded once";
    cache.SetInUse({files[0]});

    // The file changed on disk: asked for fresh, it is read as it is now.
    WriteBmp(files[0], 30, 5, 0x123456);
    const uint64_t generation = cache.Generation(files[0]);
    EXPECT_EQ(cache.Load(files[0]).Width(), 10);
    EXPECT_EQ(cache.Generation(files[0]), generation);
    EXPECT_EQ(cache.Load(files[0], true).Width(), 30);
    EXPECT_GT(cache.Generation(files[0]), generation) << "a new decoding is told apart";
    EXPECT_EQ(cache.Generation(files[1]), 0u);

    for (int i = 1; i < 8; ++i)
        cache.Load(files[i]);
    // In use, the newest, and the two used before it.
    EXPECT_EQ(cache.Size(), 1 + 1 + TPictureCache::KeptUnused);
    cache.SetInUse({files[7]});
    EXPECT_EQ(cache.Size(), 1 + TPictureCache::KeptUnused);

    const size_t kept = cache.Size();
    const std::string broken = dir.File("kaputt.bmp");
    WriteFileText(broken, "BM nothing more");
    EXPECT_THROW(cache.Load(broken), Exception);
    EXPECT_THROW(cache.Load(dir.File("fehlt.bmp")), Exception);
    EXPECT_EQ(cache.Size(), kept);
    EXPECT_EQ(cache.Load(files[7]).Width(), 17);
}
