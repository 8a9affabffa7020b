// Generates estimating-system and ledger files for the demo program folder and for the
// benchmarks. Output is deterministic for a given seed, so measurements can be repeated.
//
//   twgen demo <folder>                  a complete demo: program folder, drive map, data
//   twgen export <file> <count>          QUILLBAR.CLI, 206-byte customer export records
//   twgen custfile <file> <count>        CUSTOMER.FIL, 256-byte customer records
//   twgen products <file> <count>        product.dat, 43-byte records behind a header
//   twgen wip <folder> <count>           Wip.Dat (256-byte) and Wip2.Dat (512-byte)
//   twgen index <file> <count>           ledger.ndx, 47-byte index records
//   twgen ledger <file> <count>          a ledger file of 128-byte entries
//   twgen ledgers <folder> <customers> <files> <entries>
//                                        ledger.ndx and led00001.dat... of that many entries
//   twgen csv <file> <rows> <customers>  a spreadsheet file of invoices (CSV) for customers
//                                        1... of the index above, none in their ledgers yet
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Rng {
    std::uint64_t s;
    explicit Rng(std::uint64_t seed) : s(seed * 6364136223846793005ULL + 1442695040888963407ULL) {}
    std::uint32_t next() {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return static_cast<std::uint32_t>(s >> 11);
    }
    std::uint32_t below(std::uint32_t n) { return next() % n; }
};

const char* const kFirst[] = {"ACME",     "Zenith",   "Brightline", "Mercury",   "Harbor",
                              "Summit",   "Keystone", "Orion",      "Delta",     "Apex",
                              "Pioneer",  "Liberty",  "Cascade",    "Granite",   "Riverside",
                              "Northway", "Bluebird", "Crescent",   "Evergreen", "Lakeside",
                              "Maple",    "Redwood",  "Sterling",   "Westgate"};
const char* const kSecond[] = {"PRINTING",      "Graphics", "Labels", "Media",     "Press",
                               "Signs",         "Copy",     "Design", "Packaging", "Publishing",
                               "Office Supply", "Bakery",   "Dental", "Realty",    "Hardware"};
const char* const kForm[] = {"Inc", "Co", "LLC", "Corp", "Ltd", "& Sons", ""};
const char* const kProducts[] = {"BUSINESS CARDS", "LETTERHEAD", "ENVELOPES #10", "BROCHURES",
                                 "POSTCARDS",      "FLYERS",     "POSTERS",       "DOOR HANGERS",
                                 "NCR FORMS",      "LABELS",     "BOOKLETS",      "CALENDARS",
                                 "NOTEPADS",       "BANNERS",    "STICKERS",      "FOLDERS"};

// Customer n has the same name in every file, so jobs and ledgers meet the customer list.
std::string customerName(long n, bool numbered) {
    Rng r(static_cast<std::uint64_t>(n) * 7919 + 17);
    std::string name = kFirst[r.below(std::size(kFirst))];
    name += ' ';
    name += kSecond[r.below(std::size(kSecond))];
    const char* form = kForm[r.below(std::size(kForm))];
    if (*form) {
        name += ' ';
        name += form;
    }
    if (numbered)
        name.append(" ").append(std::to_string(n));
    return name;
}

// Left-aligned, blank-padded, cut to width.
void putField(std::string& rec, std::size_t offset, std::size_t width, const std::string& text) {
    for (std::size_t i = 0; i < width; ++i)
        rec[offset + i] = i < text.size() ? text[i] : ' ';
}

std::string zeroFill(long n, int width) {
    std::string s = std::to_string(n);
    while (static_cast<int>(s.size()) < width)
        s.insert(s.begin(), '0');
    return s;
}

void writeFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

std::string exportRecords(long count, bool numbered) {
    std::string out;
    out.reserve(static_cast<std::size_t>(count) * 206);
    for (long n = 1; n <= count; ++n) {
        std::string rec(206, ' ');
        // Built by append: GCC 12 at -O3 warns falsely on "literal" + std::string.
        putField(rec, 0, 25, std::string("C").append(zeroFill(n, 6)));
        putField(rec, 25, 30, customerName(n, numbered));
        putField(rec, 55, 30, "100 MAIN STREET");
        out += rec;
    }
    return out;
}

std::string customerFileRecords(long count, bool numbered) {
    std::string out;
    for (long n = 1; n <= count; ++n) {
        std::string rec(256, ' ');
        rec[0] = 'A';
        putField(rec, 1, 40, customerName(n, numbered));
        out += rec;
    }
    return out;
}

std::string productRecords(long count) {
    // The header's 3-character count names the last record: 998 products at the most.
    count = std::min(count, 998L);
    std::string out;
    std::string header(43, ' ');
    putField(header, 0, 3, std::to_string(count + 1));
    putField(header, 3, 40, "Code=Last Record with File Initialized");
    out += header;
    for (long n = 1; n <= count; ++n) {
        std::string rec(43, ' ');
        putField(rec, 0, 3, n < 100 ? zeroFill(n, 2) : std::to_string(n));
        std::string desc = kProducts[(n - 1) % std::size(kProducts)];
        if (n > static_cast<long>(std::size(kProducts)))
            desc.append(" ").append(std::to_string(n));
        putField(rec, 3, 40, desc);
        out += rec;
    }
    return out;
}

// Jobs numbered 1000 upward; every seventh job of a customer has no full name in Wip2.Dat.
void wipFiles(const fs::path& folder, long count, bool numbered) {
    Rng r(3);
    std::string wip, wip2;
    wip.reserve(static_cast<std::size_t>(count) * 256);
    wip2.reserve(static_cast<std::size_t>(count) * 512);
    for (long n = 1; n <= count; ++n) {
        std::string rec(256, ' ');
        const long job = 1000 + n;
        const std::string full = customerName(n % 300 + 1, numbered);
        const int year = 6 + static_cast<int>(r.below(4));
        const int month = 1 + static_cast<int>(r.below(12));
        const int day = 1 + static_cast<int>(r.below(28));
        const std::string date = zeroFill(year, 2) + zeroFill(month, 2) + zeroFill(day, 2);
        const std::string due = zeroFill(year, 2) + zeroFill(month % 12 + 1, 2) + zeroFill(day, 2);
        putField(rec, 0, 4, "0001");
        putField(rec, 4, 8, zeroFill(job, 8));
        putField(rec, 20, 6, date);
        putField(rec, 36, 20, full.substr(0, 20));
        putField(rec, 56, 45, kProducts[r.below(std::size(kProducts))]);
        putField(rec, 101, 9, std::to_string(250 * (1 + r.below(40))));
        const long cents = 2500 + static_cast<long>(r.below(500000));
        putField(rec, 119, 9, std::to_string(cents / 100) + "." + zeroFill(cents % 100, 2));
        putField(rec, 134, 6, due);
        wip += rec;
        std::string rec2(512, ' ');
        if (n % 7 != 0)
            putField(rec2, 10, 100, full + "\"  ATTN: ACCOUNTS PAYABLE");
        wip2 += rec2;
    }
    writeFile(folder / "WIP.DAT", wip);
    writeFile(folder / "WIP2.DAT", wip2);
}

std::string indexRecords(long count, bool numbered) {
    std::string out;
    out.reserve(static_cast<std::size_t>(count) * 47);
    for (long n = 1; n <= count; ++n) {
        std::string rec(47, ' ');
        putField(rec, 0, 5, zeroFill(n, 5));
        putField(rec, 5, 40, customerName(n, numbered));
        rec[45] = '\r';
        rec[46] = '\n';
        out += rec;
    }
    return out;
}

std::string ledgerRecords(long count) {
    Rng r(4);
    std::string out;
    for (long n = 1; n <= count; ++n) {
        std::string rec(128, ' ');
        const int year = static_cast<int>(r.below(10));
        const int month = 1 + static_cast<int>(r.below(12));
        const int day = 1 + static_cast<int>(r.below(28));
        putField(rec, 0, 8, std::to_string(10000 + n));
        putField(rec, 8, 6, zeroFill(year, 2) + zeroFill(month, 2) + zeroFill(day, 2));
        putField(rec, 14, 6, zeroFill(month, 2) + zeroFill(day, 2) + zeroFill(year, 2));
        putField(rec, 20, 8, zeroFill(1000 + n, 8));
        putField(rec, 28, 2, zeroFill(1 + r.below(16), 2));
        putField(rec, 30, 10, std::string("PO").append(std::to_string(n)));
        putField(rec, 40, 76, kProducts[r.below(std::size(kProducts))]);
        putField(rec, 116, 10,
                 std::to_string(10 + r.below(5000)) + "." + std::to_string(r.below(10)));
        rec[126] = '\r';
        rec[127] = '\n';
        out += rec;
    }
    return out;
}

// Invoices as an invoicing program exports them: row n for customer n % customers + 1, so
// that every customer of a "ledgers" folder gets rows / customers of them.
std::string invoiceCsv(long rows, long customers) {
    Rng r(5);
    std::string out = "Customer,Invoice No,Date,Job No,Description,Amount\r\n";
    for (long n = 0; n < rows; ++n) {
        const long cents = 1000 + static_cast<long>(r.below(500000));
        out.append(customerName(n % customers + 1, true))
            .append(",I")
            .append(zeroFill(n + 1, 7))
            .append(",")
            .append(std::to_string(1 + r.below(12)))
            .append("/")
            .append(std::to_string(1 + r.below(28)))
            .append("/2024,")
            .append(std::to_string(1000 + n))
            .append(",\"")
            .append(kProducts[r.below(std::size(kProducts))])
            .append(", \"\"rush\"\"\",")
            .append(std::to_string(cents / 100))
            .append(".")
            .append(zeroFill(cents % 100, 2))
            .append("\r\n");
    }
    return out;
}

void setting(const fs::path& folder, const char* name, const std::string& value) {
    writeFile(folder / name, value + "\r\n");
}

// A program folder whose settings name F:\EST and F:\LEDGER, with F: mapped through
// dosdevices/ to <folder>/drive_f.
void demo(const fs::path& root) {
    const fs::path prog = root / "prog";
    const fs::path drive = fs::absolute(root / "drive_f");
    fs::create_directories(prog / "dosdevices");
    fs::create_directories(drive / "EST");
    fs::create_directories(drive / "LEDGER");
    const fs::path link = prog / "dosdevices" / "f:";
    std::error_code ec;
    fs::remove(link, ec);
    fs::create_directory_symlink(drive, link);

    setting(prog, "estloc.dat", "F:\\EST");
    setting(prog, "Ledger.dat", "F:\\LEDGER");
    setting(prog, "Check.Dat", "0");
    setting(prog, "interface.dat", "0");
    setting(prog, "DefTax.Dat", "6");

    // Interface 0, customer data in \EST\ of the ledger folder's drive.
    writeFile(drive / "EST" / "QLCUST", "0   \\EST\\              DEMO\r\n");
    writeFile(drive / "EST" / "QUILLBAR.CLI", exportRecords(300, false));
    writeFile(drive / "EST" / "product.dat", productRecords(16));
    wipFiles(drive / "EST", 500, false);
    // The first 40 export customers already have ledgers.
    writeFile(drive / "LEDGER" / "ledger.ndx", indexRecords(40, false));
    for (long n = 1; n <= 40; ++n)
        writeFile(drive / "LEDGER" / std::string("led").append(zeroFill(n, 5)).append(".dat"),
                  ledgerRecords(3 + n % 5));
}

long countArg(const char* s) {
    char* end = nullptr;
    const long n = std::strtol(s, &end, 10);
    if (!end || *end || n < 0)
        throw std::runtime_error(std::string("not a count: ") + s);
    return n;
}

} // namespace

int main(int argc, char** argv) {
    try {
        const std::string cmd = argc > 1 ? argv[1] : "";
        if (cmd == "demo" && argc == 3) {
            demo(argv[2]);
        } else if (argc == 4 && cmd == "export") {
            writeFile(argv[2], exportRecords(countArg(argv[3]), true));
        } else if (argc == 4 && cmd == "custfile") {
            writeFile(argv[2], customerFileRecords(countArg(argv[3]), true));
        } else if (argc == 4 && cmd == "products") {
            writeFile(argv[2], productRecords(countArg(argv[3])));
        } else if (argc == 4 && cmd == "wip") {
            wipFiles(argv[2], countArg(argv[3]), true);
        } else if (argc == 4 && cmd == "index") {
            writeFile(argv[2], indexRecords(countArg(argv[3]), true));
        } else if (argc == 4 && cmd == "ledger") {
            writeFile(argv[2], ledgerRecords(countArg(argv[3])));
        } else if (argc == 6 && cmd == "ledgers") {
            const fs::path folder = argv[2];
            fs::create_directories(folder);
            writeFile(folder / "ledger.ndx", indexRecords(countArg(argv[3]), true));
            const std::string entries = ledgerRecords(countArg(argv[5]));
            for (long n = 1, files = countArg(argv[4]); n <= files; ++n)
                writeFile(folder / std::string("led").append(zeroFill(n, 5)).append(".dat"),
                          entries);
        } else if (argc == 5 && cmd == "csv") {
            writeFile(argv[2], invoiceCsv(countArg(argv[3]), std::max(1L, countArg(argv[4]))));
        } else {
            std::cerr << "usage: twgen demo <folder> | export|custfile|products|wip|index|ledger "
                         "<path> <count> | ledgers <folder> <customers> <files> <entries> | csv "
                         "<file> <rows> <customers>\n";
            return 2;
        }
    } catch (const std::exception& e) {
        std::cerr << "twgen: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
