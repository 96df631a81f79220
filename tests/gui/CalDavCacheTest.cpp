#include "gui/CalDavCache.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/TemporaryFolder.h"

namespace kalvo {
namespace {

// A sync that ends with `resources`, from `before`, through one multiget of what differs.
CalDavSync syncedTo(const CalendarCache& before, const std::string& token,
                    const std::map<std::string, CachedResource>& resources) {
    CalDavSync sync("http://127.0.0.1:5232/ann/work/", before);
    std::string listing;
    std::string events;
    for (const auto& [href, resource] : resources) {
        listing += "<d:response><d:href>" + href + "</d:href><d:propstat><d:prop><d:getetag>" +
                   resource.etag + "</d:getetag></d:prop></d:propstat></d:response>";
        events += "<d:response><d:href>" + href + "</d:href><d:propstat><d:prop><d:getetag>" +
                  resource.etag + "</d:getetag><c:calendar-data>" + resource.data +
                  "</c:calendar-data></d:prop></d:propstat></d:response>";
    }
    const std::string open =
        "<d:multistatus xmlns:d=\"DAV:\" "
        "xmlns:c=\"urn:ietf:params:xml:ns:caldav\">";
    // The token refused: every ETag is listed, and what differs fetched.
    sync.take({403, ""});
    if (sync.take({207, open +
                            "<d:response><d:href>/ann/work/</d:href><d:propstat><d:prop>"
                            "<d:sync-token>" +
                            token + "</d:sync-token></d:prop></d:propstat></d:response>" + listing +
                            "</d:multistatus>"})) {
        sync.take({207, open + events + "</d:multistatus>"});
    }
    return sync;
}

TEST(CalDavCache, KeepsEachSyncWholeAcrossRunsAndRecoversFromAnUnreadableFile) {
    const test::TemporaryFolder folder;
    const QString file = QString::fromStdString(folder.file("calendars/caldav.sqlite"));
    const std::string work = "http://127.0.0.1:5232/ann/work/";
    const std::vector<std::pair<std::string, std::map<std::string, CachedResource>>> syncs = {
        {"t1", {{"/ann/work/a.ics", {"\"1\"", "A"}}, {"/ann/work/b.ics", {"\"2\"", "B"}}}},
        {"t2", {{"/ann/work/a.ics", {"\"3\"", "A, changed"}}, {"/ann/work/c.ics", {"\"4\"", "C"}}}},
        {"t3", {}},
    };
    CalendarCache expected;
    for (const auto& [token, resources] : syncs) {
        SCOPED_TRACE(token);
        {
            CalDavCache cache(file);
            const CalDavSync sync = syncedTo(cache.load(work), token, resources);
            ASSERT_TRUE(cache.store(work, sync));
            expected = sync.result();
        }
        EXPECT_EQ(CalDavCache(file).load(work), expected);
        EXPECT_EQ(expected.resources, resources);
    }
    CalDavCache(file).forget(work);
    EXPECT_EQ(CalDavCache(file).load(work), CalendarCache());

    std::ofstream(folder.file("calendars/caldav.sqlite"), std::ios::trunc) << "not a database";
    CalDavCache remade(file);
    const CalDavSync sync = syncedTo({}, "t4", syncs[0].second);
    EXPECT_TRUE(remade.store(work, sync));
    EXPECT_EQ(remade.load(work), sync.result());
}

}  // namespace
}  // namespace kalvo
