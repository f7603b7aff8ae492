// Files that would take more memory than a measurement ever needs: a file
// larger than any measurement of its kind is set aside unread, and a file
// memory runs short for is set aside with the reason, in every conversion
// family; none is left claimed, to fail the same way at every tick or start.

#include <QDate>
#include <QDateTime>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <vector>

#include "basics/halvik_file.h"
#include "basics/insitu_file.h"
#include "basics/tulmen_file.h"
#include "basics/zeiss_file.h"
#include "conversion/claim_journal.h"
#include "conversion/exsitu_conversion.h"
#include "conversion/halvik_conversion.h"
#include "conversion/insitu_conversion.h"
#include "conversion/memory_shortage.h"
#include "conversion/tulmen_conversion.h"
#include "conversion/zeiss_conversion.h"
#include "conversion_site.h"
#include "support/exsitu_file.h"

namespace {

using test_support::conversion_site;

const QDateTime kNow(QDate(2024, 3, 5), QTime(14, 7, 9));
// Larger than the largest limit of any family.
constexpr qint64 kHugeFile = qint64(65) << 20;

// Every family reads from "in", writes into "out" and archives into "arch",
// with the claim journal on.
struct shortage_site : conversion_site {
  shortage_site() {
    use_standard_folders(kNow);
    ctx.vellic_path = folder("v");
    ctx.claim_journal = path("claims");
  }
  // Everything the board and the status line said.
  QString said() const { return (board + status_lines).join('\n'); }
  void recover() {
    conversion::recover_claims(ctx.claim_journal, [this](const QString& l) { board << l; });
  }

  conversion::tulmen_state tulmen{record};
  conversion::zeiss_carried carried;
};

struct family {
  const char* name;
  qint64 largest;
  std::function<void(shortage_site&)> scan;
};

const family kFamilies[] = {
    {"exsitu", basics::kLargestExsituFile,
     [](shortage_site& s) {
       conversion::exsitu_state state{s.record, s.plate};
       conversion::handle_exsitu(s.ctx, state, {});
     }},
    {"insitu", basics::kLargestInsituFile,
     [](shortage_site& s) {
       conversion::insitu_state state{s.plate};
       conversion::handle_insitu(s.ctx, state, {});
     }},
    {"Halvik exsitu", basics::kLargestHalvikExsituFile,
     [](shortage_site& s) {
       conversion::exsitu_state state{s.record, s.plate};
       conversion::handle_exsitu(s.ctx, state, {conversion::exsitu_instrument::halvik});
     }},
    {"Halvik insitu", basics::kLargestHalvikInsituFile,
     [](shortage_site& s) {
       conversion::halvik_insitu_state state{s.record, s.plate};
       conversion::handle_halvik_insitu(s.ctx, state, {});
     }},
    {"TULMEN", basics::kLargestTulmenFile,
     [](shortage_site& s) { conversion::handle_tulmen(s.ctx, s.tulmen, {}); }},
    {"Zeiss", basics::kLargestZeissFile,
     [](shortage_site& s) {
       conversion::zeiss_options options;
       options.classify = false;
       conversion::zeiss_state state = conversion::zeiss_state_of(s.record, s.carried);
       conversion::handle_zeiss(s.ctx, state, options);
     }},
};

QString megabytes(qint64 bytes) {
  return QString::number(double(bytes) / (1024 * 1024), 'f', 1) + " MB";
}

TEST(MemoryShortageTest, AFileLargerThanAnyMeasurementOfItsKindIsSetAsideUnread) {
  for (const family& f : kFamilies) {
    SCOPED_TRACE(f.name);
    shortage_site site;
    site.tree.write_sparse("in/big.csv", "x", kHugeFile);
    // Were it read, reading would fail the test.
    site.fault.exhaust_memory_reading(site.path("in"));
    f.scan(site);
    EXPECT_EQ(site.files("in"), QStringList{"big.csv.failed"});
    EXPECT_EQ(QFileInfo(site.path("in/big.csv.failed")).size(), kHugeFile);
    EXPECT_TRUE(
        site.said().contains("Error: The file holds 65.0 MB (68157440 bytes), more than "
                             "any measurement of its kind (at most " +
                             megabytes(f.largest) +
                             "); it is not read. The measurement "
                             "big.csv is kept as " +
                             site.path("in/big.csv.failed") + "."))
        << site.said().toStdString();
    EXPECT_TRUE(site.files("out").isEmpty());
    EXPECT_TRUE(site.files("arch").isEmpty());
    EXPECT_TRUE(site.files("claims").isEmpty());
  }
}

TEST(MemoryShortageTest, AFileMemoryRunsShortForIsSetAsideNotLeftClaimed) {
  for (const family& f : kFamilies) {
    SCOPED_TRACE(f.name);
    shortage_site site;
    const QByteArray bytes = "a measurement\r\n";
    site.tree.write("in/m.csv", bytes);
    site.fault.exhaust_memory_reading(site.path("in"));
    EXPECT_NO_THROW(f.scan(site));
    EXPECT_EQ(site.files("in"), QStringList{"m.csv.failed"});
    EXPECT_EQ(site.tree.read("in/m.csv.failed"), bytes);
    EXPECT_TRUE(site.said().contains(
        "Error: The memory ran out while the file was handled (std::bad_alloc). The measurement "
        "m.csv is kept as " +
        site.path("in/m.csv.failed") + "."))
        << site.said().toStdString();
    EXPECT_TRUE(site.files("claims").isEmpty());
    // A restart puts nothing back to fail again.
    site.board.clear();
    site.recover();
    EXPECT_TRUE(site.board.isEmpty());
    EXPECT_EQ(site.files("in"), QStringList{"m.csv.failed"});
  }
}

TEST(MemoryShortageTest, AFileBehindALargeOneIsConvertedInTheSameCall) {
  shortage_site site;
  site.tree.write_sparse("in/a_big.csv", "x", kHugeFile);
  site.write_lines("in/b.csv", test_support::exsitu_lines(test_support::plate_with(3, "12")),
                   kNow.addSecs(-60));
  conversion::exsitu_state state{site.record, site.plate};
  conversion::handle_exsitu(site.ctx, state, {});
  EXPECT_EQ(site.files("in"), QStringList{"a_big.csv.failed"});
  EXPECT_EQ(site.files("out"), QStringList{"12.scn"});
}

TEST(MemoryShortageTest, OnlyAShortageOfMemoryIsCaught) {
  EXPECT_FALSE(conversion::ran_out_of_memory([] {}));
  EXPECT_EQ(conversion::ran_out_of_memory([] { throw std::bad_alloc(); }),
            "The memory ran out while the file was handled (std::bad_alloc).");
  // What a standard container throws when asked to grow beyond its limit.
  EXPECT_EQ(conversion::ran_out_of_memory([] {
              std::vector<double> values;
              values.reserve(values.max_size() + 1);
            }),
            "The memory ran out while the file was handled (vector::reserve).");
  EXPECT_THROW(conversion::ran_out_of_memory([] { throw std::runtime_error("other"); }),
               std::runtime_error);
}

}  // namespace
