// The interface file "\QLCUST" names the customer file to read: its value decides a path.
// Input: the interface file, "@@@@", the bytes of whichever customer file it leads to.
#include "fuzzsupport.h"
#include "platform/recordfile.h"
#include "settings/settings.h"
#include "sources/customerfiles.h"
#include "sources/interfacefile.h"

using namespace tw;
using namespace tw::sources;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto parts = fuzz::splitInput(data, size, 2);
    fuzz::Scratch& s = fuzz::Scratch::get();

    for (const LoadPath path : {LoadPath::StartUp, LoadPath::Refresh}) {
        const QString est = s.freshDrive(QStringLiteral("EST"));
        fuzz::Scratch::put(est + QStringLiteral("/QLCUST"), parts[0]);
        // The folders the seeds name, so that the customer files are really read.
        fuzz::Scratch::put(est + QStringLiteral("/QUILLBAR.CLI"), parts[1]);
        fuzz::Scratch::put(est + QStringLiteral("/CUSTOMER.FIL"), parts[1]);

        const QString value = settings::firstField(parts[0].first(qMin(parts[0].size(), 65536)));
        const CustomerSource src = customerSource(value, u"F:\\LEDGER", path);
        TW_FUZZ_CHECK(src.number >= 0 && src.number <= 9);
        TW_FUZZ_CHECK(src.folder.startsWith(QStringLiteral("F:")));

        RecordFile file = openInterfaceFile(s.paths(), QStringLiteral("F:\\EST"));
        const LoadResult r = loadCustomers(file, s.paths(), QStringLiteral("F:\\LEDGER"), path);
        TW_FUZZ_CHECK(!file.isOpen());
        if (parts[0].isEmpty()) {
            TW_FUZZ_CHECK(!r.ok && r.entries.isEmpty());
            continue;
        }
        switch (src.kind) {
        case CustomerFileKind::Export:
        case CustomerFileKind::CustomerFil: {
            const int width = src.kind == CustomerFileKind::Export
                                  ? CustomerExportRecord::kNameWidth
                                  : CustomerFileRecord::kNameWidth;
            for (const QString& e : r.entries)
                TW_FUZZ_CHECK(e.size() == width);
            TW_FUZZ_CHECK(r.message.isEmpty());
            break;
        }
        case CustomerFileKind::Unsupported:
            TW_FUZZ_CHECK(r.ok && r.entries.isEmpty() && r.message == kAmberMessage);
            break;
        case CustomerFileKind::None:
            TW_FUZZ_CHECK(r.ok && r.entries.isEmpty() && r.message.isEmpty());
            break;
        }
    }
    return 0;
}
