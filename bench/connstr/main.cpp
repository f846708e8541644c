// Parse and write cost per byte at growing sizes: flat figures mean the cost is linear.

#include "oledb/connectionstring.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <malloc.h>
#include <sys/mman.h>

using oledb::ConnectionString;
using oledb::KeywordValueList;

namespace {

// ASCII only, so a character is a byte. Bare values, short quoted ones and long quoted ones
// full of separators and doubled quotes, in turn; stops at the first pair past the size.
QString sampleString(qsizetype size)
{
    const QString longValue = QStringLiteral("p;a\"s's=w o;r\"d ").repeated(20);
    QString text;
    for (int i = 0; text.size() < size; ++i) {
        QString value;
        switch (i % 3) {
        case 0:
            value = QStringLiteral("server%1.example").arg(i);
            break;
        case 1:
            value = QStringLiteral("it's %1; \"fine\"").arg(i);
            break;
        default:
            value = longValue;
        }
        if (!text.isEmpty())
            text += u';';
        ConnectionString::appendPair(text, {QStringLiteral("Key==%1 Name").arg(i), value},
                                     oledb::EmptyValueStyle::Bare);
    }
    return text;
}

double cpuSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec + now.tv_nsec / 1e9;
}

// CPU time, not wall time: on a shared machine a long run is always preempted somewhere, a short
// one rarely, which would fake a step between sizes. Batches long enough for the clock, best of
// several, so the figure is the code's cost rather than the neighbours'.
template<typename Work> double bestSeconds(Work &&work)
{
    int batch = 1;
    double best = 1e9;
    for (int round = 0; round < 7; ++round) {
        const double start = cpuSeconds();
        for (int i = 0; i < batch; ++i)
            work();
        const double elapsed = cpuSeconds() - start;
        best = std::min(best, elapsed / batch);
        if (elapsed < 0.05) {
            batch *= 2;
            round = -1;
        }
    }
    return best;
}

// What the kernel charges for memory touched for the first time, per byte: a new page of a
// virtual machine can cost more than the code that fills it.
double firstTouchSecondsPerByte()
{
    constexpr size_t size = size_t(64) << 20;
    const double start = cpuSeconds();
    void *memory = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        return 0;
    for (size_t at = 0; at < size; at += 4096)
        static_cast<volatile char *>(memory)[at] = 1;
    const double elapsed = cpuSeconds() - start;
    munmap(memory, size);
    return elapsed / size;
}

void report(const char *what, qsizetype bytes, double seconds)
{
    std::printf("%-6s %10lld bytes  %9.1f MB/s  %6.2f ns/byte\n", what,
                static_cast<long long>(bytes), bytes / seconds / 1e6, seconds * 1e9 / bytes);
}

} // namespace

// Sizes in KiB may be given on the command line; the default is 1 KiB, 64 KiB, 1 MiB, 16 MiB.
// --fresh-memory leaves the allocator to hand every large block back to the kernel, so each run
// pays for new pages again; by default it keeps them, as a program that has been running a while
// has its memory, and the figures are the code's own.
int main(int argc, char *argv[])
{
    QList<qsizetype> sizes;
    bool freshMemory = false;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--fresh-memory")
            freshMemory = true;
        else
            sizes.append(QByteArray(argv[i]).toLongLong() << 10);
    }
    if (!freshMemory) {
        mallopt(M_MMAP_THRESHOLD, 1 << 30);
        mallopt(M_TRIM_THRESHOLD, 1 << 30);
    }
    std::printf("new memory costs %.2f ns/byte on first touch here (%s)\n",
                firstTouchSecondsPerByte() * 1e9,
                freshMemory ? "paid by every run below" : "runs below reuse their memory");
    if (sizes.isEmpty())
        sizes = {qsizetype(1) << 10, qsizetype(64) << 10, qsizetype(1) << 20, qsizetype(16) << 20};

    for (const qsizetype size : std::as_const(sizes)) {
        const QString text = sampleString(size);
        struct Count final : oledb::PairVisitor
        {
            qsizetype characters = 0;
            void visit(QStringView keyword, QStringView value) override
            {
                characters += keyword.size() + value.size();
            }
        } count;
        report("read", text.size(),
               bestSeconds([&] { ConnectionString::visitPairs(text, count); }));
        ConnectionString parsed;
        report("parse", text.size(), bestSeconds([&] { parsed = ConnectionString::parse(text); }));
        QString written;
        report("write", text.size(), bestSeconds([&] { written = parsed.toString(); }));
        if (ConnectionString::parse(written).pairs() != parsed.pairs()) {
            std::fputs("round trip lost data\n", stderr);
            return 1;
        }
    }
    return 0;
}
