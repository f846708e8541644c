#pragma once

#include <QDebug>
#include <QString>

#include <cstdlib>

// A broken property ends the run the way a crash does, so libFuzzer keeps the input that broke it.
#define FUZZ_CHECK(condition, ...)                                                                 \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            qCritical().noquote() << "property failed:" << #condition __VA_OPT__(<<) __VA_ARGS__;  \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// Inputs are read as UTF-8, so the seeds stay readable; what is not UTF-8 still reaches the code
// under test as replacement characters.
inline QString fuzzText(const uint8_t *data, size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
}
