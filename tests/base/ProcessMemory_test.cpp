// How the process keeps freed memory: picture-sized blocks come from the heap and stay there.
#include "base/ProcessMemory.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// The flags of the mapping that holds `address` ("rd wr mr ... hg"), from /proc/self/smaps.
[[maybe_unused]] QByteArray mappingFlags(const void* address)
{
    QFile smaps("/proc/self/smaps");
    if (!smaps.open(QIODevice::ReadOnly)) return {};
    const auto at = reinterpret_cast<quintptr>(address);
    bool inside = false;
    for (const QByteArray& line : smaps.readAll().split('\n')) {
        const QList<QByteArray> range = line.split(' ').value(0).split('-');
        bool ok = false, ok2 = false;
        const quintptr begin = range.value(0).toULongLong(&ok, 16), end = range.value(1).toULongLong(&ok2, 16);
        if (range.size() == 2 && ok && ok2) inside = begin <= at && at < end;
        else if (inside && line.startsWith("VmFlags:")) return line.mid(8).trimmed();
    }
    return {};
}

} // namespace

TEST(ProcessMemory, PictureSizedBlocksComeFromTheHeapAndStay)
{
#if QUORVEL_GLIBC_HEAP
    quorvel::keepFreedMemoryForReuse();
    // A 1024 x 1024 picture and a little more: mapped on its own by default, from the heap here.
    const std::size_t bytes = std::size_t(5) << 20;
    const struct mallinfo2 before = mallinfo2();
    void* block = std::malloc(bytes);
    ASSERT_NE(block, nullptr);
    std::memset(block, 1, bytes);
    EXPECT_EQ(mallinfo2().hblks, before.hblks) << "the block was mapped on its own";
    // From its first byte, the picture lies where 2 MiB pages were asked for.
    EXPECT_TRUE(mappingFlags(block).split(' ').contains("hg")) << mappingFlags(block).toStdString();
    std::free(block);
    // Freed, it stays for the next picture rather than going back to the system.
    EXPECT_GE(mallinfo2().fordblks, bytes);
#else
    GTEST_SKIP() << "the C library here is not glibc, or a sanitizer keeps the heap";
#endif
}
