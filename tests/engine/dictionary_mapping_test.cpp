// The dictionary file as a mapping: reads end at the file's end also where
// the file ends at a page boundary, the mapping outlives the file's name,
// and loading again replaces it.

#include <sys/mman.h>
#include <unistd.h>

#include "dic_cursor.h"
#include "dictionary_fixture.h"

namespace {

const dic_test_article lamp{{"лампа", "лампы", "лампе", "лампу", "лампой"},
                            "$лампа {\n\x0B\x02"
                            "ЖрНд"
                            "\x04\x01"
                            "ИпЕч\n}"};

// An inaccessible page right after the image, where one is free, so that a
// read past the image's end faults instead of finding the page's zeros.
class guard_page {
 public:
  explicit guard_page(std::string_view image) {
    const size_t page = size_t(sysconf(_SC_PAGESIZE));
    if (image.empty() || image.size() % page != 0) return;
    void* after = const_cast<char*>(image.data() + image.size());
    void* placed = mmap(after, page, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
    if (placed == after) {
      address_ = placed;
      size_ = page;
    } else if (placed != MAP_FAILED) {
      munmap(placed, page);
    }
  }
  ~guard_page() {
    if (address_) munmap(address_, size_);
  }
  guard_page(const guard_page&) = delete;
  guard_page& operator=(const guard_page&) = delete;

 private:
  void* address_ = nullptr;
  size_t size_ = 0;
};

}  // namespace

class dictionary_mapping : public dictionary_fixture {};

// The article is laid so that the page ends at each of its bytes in turn:
// every cut gives the broken-structure message or no article, and an
// article that ends with the page is read whole.
TEST_F(dictionary_mapping, AnArticleCutAtThePageEndIsNeverReadPast) {
  const size_t page = size_t(sysconf(_SC_PAGESIZE));
  auto lamp_at = [](size_t n) {
    dic_file_writer writer;
    writer.granule = 1;
    writer.Add(uint16_t(n), lamp);
    return writer.Bytes();
  };
  const std::string first = lamp_at(0);
  const size_t area = read_dic_number(first, 20);
  const size_t length = first.size() - area;
  const std::string broken = "Ошибка в словаре: Нарушена структура статьи: ";
  int refused = 0;
  for (size_t kept = 0; kept <= length; ++kept) {
    std::string bytes = lamp_at(page - kept - area);
    ASSERT_GE(bytes.size(), page);
    LoadBytes(bytes.substr(0, page));
    ASSERT_TRUE(file_->Loaded());
    guard_page guard(file_->Image());
    world home(u"dic");
    std::string outcome = Failure([&] { Article(home, "лампу"); });
    if (kept == length) {
      EXPECT_EQ(outcome, "<nothing thrown>");
      EXPECT_TRUE(Article(home, "лампа", true).starts_with("$лампа"));
    } else if (outcome != "<nothing thrown>") {
      EXPECT_EQ(outcome.substr(0, broken.size()), broken) << kept;
      ++refused;
    }
  }
  EXPECT_GT(refused, int(length / 2));
}

TEST_F(dictionary_mapping, TheMappingOutlivesTheFileAndALoadReplacesIt) {
  writer_.Add(3, lamp);
  Load();
  ASSERT_TRUE(file_->Loaded());
  std::filesystem::remove(folder_ / "kiv.dic");
  world home(u"dic");
  EXPECT_TRUE(Matches(home, "лампой"));

  // Another file under the same name: the new one is read.
  dic_file_writer other;
  other.Add(3, {{"стол", "стола", "столом"}, "$стол {\n}"});
  other.Write(folder_ / "kiv.dic");
  ASSERT_TRUE(file_->Load(dic_loader::default_file));
  EXPECT_TRUE(Matches(home, "столом"));
  EXPECT_FALSE(Matches(home, "лампой"));

  // An empty file maps as no bytes: its version is wrong and nothing stays.
  dic_file_writer::WriteBytes(folder_ / "kiv.dic", "");
  EXPECT_FALSE(file_->Load(dic_loader::default_file));
  EXPECT_TRUE(file_->Image().empty());
  EXPECT_FALSE(Matches(home, "столом"));
  file_->Unload();
  EXPECT_FALSE(file_->Loaded());
  EXPECT_EQ(MessageBoxes(), "Ошибка загрузки словаря: версия словаря  не соответствует требуемой версии 2.a.5.3\n");
}

// Cut anywhere in the header or the ending tables, the file loads with the
// tables it still has, or is refused for its version; lookups find nothing
// or what the whole tables file.
TEST_F(dictionary_mapping, HeadersAndTablesCutAnywhereLoadWhatIsLeft) {
  writer_.Add(3, lamp);
  const std::string whole = writer_.Bytes();
  const size_t area = read_dic_number(whole, 20);
  for (size_t cut = 0; cut <= area; ++cut) {
    LoadBytes(whole.substr(0, cut));
    EXPECT_EQ(file_->Loaded(), cut >= 7) << cut;
    EXPECT_LE(file_->NounEndings().size(), writer_.noun_endings.size());
    world home(u"dic");
    EXPECT_FALSE(Matches(home, "лампой")) << cut;
  }
}
