// libFuzzer target for the photo header reader: the JPEG segment walk, the
// EXIF date and the blackboard XMP. Built with -DZK_FUZZ=ON under clang;
// otherwise a driver that runs the files named on its command line, which
// CTest uses to replay the seed inputs beside this file.

#include "photos/blackboardxmp.h"
#include "photos/photofacts.h"

#include <QFile>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    zk::PhotoFacts::from_header(bytes);
    // The packet on its own as well, so that the fuzzer reaches the XML
    // reader without first having to find the segment layout.
    zk::PhotoFacts facts;
    zk::BlackboardXmp::read(bytes, &facts);
    return 0;
}

#ifndef ZK_LIBFUZZER
int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        QFile file(QString::fromLocal8Bit(argv[i]));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", argv[i]);
            return 1;
        }
        const QByteArray bytes = file.readAll();
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
    }
    return 0;
}
#endif
