#include "sample_data.h"

#include <stdint.h>

#include "zt_lib32/strings.h"

namespace {

// A fixed pseudo-random sequence per record: the values depend only on the
// record number.
class Random {
 public:
  explicit Random(uint64_t seed) : m_state(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {}
  uint32_t Next() {
    m_state ^= m_state >> 12;
    m_state ^= m_state << 25;
    m_state ^= m_state >> 27;
    return static_cast<uint32_t>((m_state * 0x2545F4914F6CDD1Dull) >> 32);
  }
  uint32_t Below(uint32_t n) { return Next() % n; }

 private:
  uint64_t m_state;
};

const char* const kFirstNames[] = {"Anna", "Bernd", "Clara", "Dieter", "Emma",  "Felix", "Greta",  "Hans",
                                   "Ida",  "Jonas", "Karla", "Lukas",  "Marie", "Nils",  "Olga",   "Paul",
                                   "Rita", "Sven",  "Tanja", "Uwe",    "Vera",  "Willi", "Yvonne", "Zoe"};
const char* const kLastNames[] = {"Bauer",  "Becker",  "Fischer",    "Hoffmann", "Klein",     "Koch",    "Meyer",
                                  "Müller", "Richter", "Schäfer",    "Schmidt",  "Schneider", "Schulz",  "Wagner",
                                  "Weber",  "Wolf",    "Zimmermann", "Braun",    "Krüger",    "Hartmann"};
const char* const kCities[] = {"Aachen",   "Berlin",  "Bremen",   "Dortmund", "Dresden", "Essen",
                               "Freiburg", "Hamburg", "Hannover", "Kiel",     "Köln",    "Leipzig",
                               "Mainz",    "München", "Münster",  "Nürnberg", "Rostock", "Stuttgart"};
const char* const kArticles[] = {"Schraube M6",   "Mutter M6",   "Dübel 8 mm",        "Holzleim",
                                 "Schleifpapier", "Bohrer 5 mm", "Winkel 40 mm",      "Kabelbinder",
                                 "Klebeband",     "Malerrolle",  "Pinsel 30 mm",      "Spachtel",
                                 "Zollstock",     "Wasserwaage", "Arbeitshandschuhe", "Schutzbrille"};

template <class T, unsigned N>
constexpr unsigned Count(T (&)[N]) {
  return N;
}

// Windows-1252 for the umlauts of the source text (written in UTF-8).
std::string Ansi(const char* utf8) {
  std::string out;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8); *p; ++p) {
    if (*p == 0xC3 && p[1]) {
      out += static_cast<char>(p[1] + 0x40);
      ++p;
    } else {
      out += static_cast<char>(*p);
    }
  }
  return out;
}

std::string Format(const char* format, unsigned a, unsigned b = 0, unsigned c = 0) {
  char text[64];
  ztFormat(text, sizeof(text), format, a, b, c);
  return text;
}

// An amount of cents as German text with two decimals.
std::string Amount(int64_t cents) {
  char text[40];
  uint64_t magnitude = cents < 0 ? (uint64_t)-cents : (uint64_t)cents;
  ztFormat(text, sizeof(text), "%s%llu,%02u", cents < 0 ? "-" : "", (unsigned long long)(magnitude / 100),
           (unsigned)(magnitude % 100));
  return text;
}

std::string Date(Random& random, unsigned firstYear, unsigned years) {
  unsigned year = firstYear + random.Below(years);
  unsigned month = 1 + random.Below(12);
  unsigned day = 1 + random.Below(28);
  return Format("%02u.%02u.%04u", day, month, year);
}

}  // namespace

const char* const kZTSampleCustomerFields[] = {"CustNo", "Name",   "City",   "ZipCode",
                                               "Since",  "Credit", "Rating", "Discount"};
const unsigned kZTSampleCustomerFieldCount = Count(kZTSampleCustomerFields);
const char* const kZTSampleOrderFields[] = {"OrderNo",  "CustNo", "OrderDate", "Amount",
                                            "Quantity", "Weight", "Article"};
const unsigned kZTSampleOrderFieldCount = Count(kZTSampleOrderFields);

void ztSampleCustomer(unsigned i, std::vector<std::string>& values) {
  Random random(i + 1);
  values.clear();
  values.push_back(Format("%u", 10001 + i));
  values.push_back(Ansi(kLastNames[random.Below(Count(kLastNames))]) + ", " +
                   kFirstNames[random.Below(Count(kFirstNames))]);
  values.push_back(Ansi(kCities[random.Below(Count(kCities))]));
  values.push_back(Format("%05u", 1067 + random.Below(98000)));
  values.push_back(Date(random, 1990, 35));
  values.push_back(Amount(static_cast<int64_t>(random.Below(5000000)) - 500000));
  values.push_back(Format("%d", static_cast<unsigned>(static_cast<int>(random.Below(13)) - 2)));
  values.push_back(Format("%u.%02u", random.Below(30), random.Below(100)));
}

void ztSampleOrder(unsigned i, std::vector<std::string>& values) {
  Random random(0x100000u + i);
  values.clear();
  values.push_back(Format("%u", 500001 + i));
  values.push_back(Format("%u", 10001 + random.Below(kZTSampleCustomers)));
  values.push_back(Date(random, 2015, 11) + Format(" %02u:%02u", 7 + random.Below(12), random.Below(60)));
  values.push_back(Amount(static_cast<int64_t>(random.Below(250000)) + 99));
  values.push_back(Format("%u", 1 + random.Below(500)));
  values.push_back(Format("%u.%03u", random.Below(40), random.Below(1000)));
  values.push_back(Ansi(kArticles[random.Below(Count(kArticles))]));
}
