// The zone table's keys against the published list of supported zones, written out here
// by hand: EPSG code, Civil 3D code, EPSG name, projection kind and linear unit of each.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>

#include "geo/StatePlaneZone.h"
#include "wcrt.h"
#include "wideutf8.h"

namespace {

struct ZoneKeys {
    std::uint32_t epsg;
    const wchar_t* civilCode;
    const wchar_t* name;
    int kind;
    double unitMetres;
};

constexpr int kTm = 0;   // transverse Mercator
constexpr int kLcc = 1;  // Lambert conformal conic, two standard parallels
constexpr double kM = 1.0;
constexpr double kFtUs = 0.304800609601219;
constexpr double kFt = 0.3048;

constexpr ZoneKeys kPublishedZones[] = {
    {26961, L"HI83-1", L"NAD83 / Hawaii zone 1", kTm, kM},
    {26962, L"HI83-2", L"NAD83 / Hawaii zone 2", kTm, kM},
    {3759, L"HI83-3F", L"NAD83 / Hawaii zone 3 (ftUS)", kTm, kFtUs},
    {26964, L"HI83-4", L"NAD83 / Hawaii zone 4", kTm, kM},
    {26965, L"HI83-5", L"NAD83 / Hawaii zone 5", kTm, kM},
    {2965, L"IN83-EF", L"NAD83 / Indiana East (ftUS)", kTm, kFtUs},
    {2966, L"IN83-WF", L"NAD83 / Indiana West (ftUS)", kTm, kFtUs},
    {3417, L"IA83-NF", L"NAD83 / Iowa North (ftUS)", kLcc, kFtUs},
    {3418, L"IA83-SF", L"NAD83 / Iowa South (ftUS)", kLcc, kFtUs},
    {3419, L"KS83-NF", L"NAD83 / Kansas North (ftUS)", kLcc, kFtUs},
    {2222, L"AZ83-EIF", L"NAD83 / Arizona East (ft)", kTm, kFt},
    {3420, L"KS83-SF", L"NAD83 / Kansas South (ftUS)", kLcc, kFtUs},
    {2223, L"AZ83-CIF", L"NAD83 / Arizona Central (ft)", kTm, kFt},
    {2246, L"KY83-NF", L"NAD83 / Kentucky North (ftUS)", kLcc, kFtUs},
    {2287, L"WI83-NF", L"NAD83 / Wisconsin North (ftUS)", kLcc, kFtUs},
    {2224, L"AZ83-WIF", L"NAD83 / Arizona West (ft)", kTm, kFt},
    {2247, L"KY83-SF", L"NAD83 / Kentucky South (ftUS)", kLcc, kFtUs},
    {3433, L"AR83-NF", L"NAD83 / Arkansas North (ftUS)", kLcc, kFtUs},
    {2225, L"CA83-IF", L"NAD83 / California zone 1 (ftUS)", kLcc, kFtUs},
    {3451, L"LA83-NF", L"NAD83 / Louisiana North (ftUS)", kLcc, kFtUs},
    {3434, L"AR83-SF", L"NAD83 / Arkansas South (ftUS)", kLcc, kFtUs},
    {3452, L"LA83-SF-MOD", L"NAD83 / Louisiana South (ftUS)", kLcc, kFtUs},
    {2226, L"CA83-IIF", L"NAD83 / California zone 2 (ftUS)", kLcc, kFtUs},
    {26847, L"ME83-EF", L"NAD83 / Maine East (ftUS)", kTm, kFtUs},
    {2227, L"CA83IIIF", L"NAD83 / California zone 3 (ftUS)", kLcc, kFtUs},
    {26848, L"ME83-WF", L"NAD83 / Maine West (ftUS)", kTm, kFtUs},
    {2228, L"CA83-IVF", L"NAD83 / California zone 4 (ftUS)", kLcc, kFtUs},
    {2248, L"MD83F", L"NAD83 / Maryland (ftUS)", kLcc, kFtUs},
    {2229, L"CA83-VF", L"NAD83 / California zone 5 (ftUS)", kLcc, kFtUs},
    {2230, L"CA83-VIF", L"NAD83 / California zone 6 (ftUS)", kLcc, kFtUs},
    {2250, L"MA83-ISF", L"NAD83 / Massachusetts Island (ftUS)", kLcc, kFtUs},
    {2231, L"CO83-NF", L"NAD83 / Colorado North (ftUS)", kLcc, kFtUs},
    {2232, L"CO83-CF", L"NAD83 / Colorado Central (ftUS)", kLcc, kFtUs},
    {2233, L"CO83-SF", L"NAD83 / Colorado South (ftUS)", kLcc, kFtUs},
    {2251, L"MI83-NIF", L"NAD83 / Michigan North (ft)", kLcc, kFt},
    {2234, L"CT83F", L"NAD83 / Connecticut (ftUS)", kLcc, kFtUs},
    {2252, L"MI83-CIF", L"NAD83 / Michigan Central (ft)", kLcc, kFt},
    {2235, L"DE83F", L"NAD83 / Delaware (ftUS)", kTm, kFtUs},
    {2253, L"MI83-SIF", L"NAD83 / Michigan South (ft)", kLcc, kFt},
    {2238, L"FL83-NF", L"NAD83 / Florida North (ftUS)", kLcc, kFtUs},
    {26849, L"MN83-NF", L"NAD83 / Minnesota North (ftUS)", kLcc, kFtUs},
    {2236, L"FL83-EF", L"NAD83 / Florida East (ftUS)", kTm, kFtUs},
    {26850, L"MN83-CF", L"NAD83 / Minnesota Central (ftUS)", kLcc, kFtUs},
    {2237, L"FL83-WF", L"NAD83 / Florida West (ftUS)", kTm, kFtUs},
    {26851, L"MN83-SF", L"NAD83 / Minnesota South (ftUS)", kLcc, kFtUs},
    {4457, L"SD83-NF", L"NAD83 / South Dakota North (ftUS)", kLcc, kFtUs},
    {3737, L"WY83-ECF", L"NAD83 / Wyoming East Central (ftUS)", kTm, kFtUs},
    {2239, L"GA83-EF", L"NAD83 / Georgia East (ftUS)", kTm, kFtUs},
    {2254, L"MS83-EF", L"NAD83 / Mississippi East (ftUS)", kTm, kFtUs},
    {2240, L"GA83-WF", L"NAD83 / Georgia West (ftUS)", kTm, kFtUs},
    {3422, L"NV83-CF", L"NAD83 / Nevada Central (ftUS)", kTm, kFtUs},
    {2255, L"MS83-WF", L"NAD83 / Mississippi West (ftUS)", kTm, kFtUs},
    {26996, L"MO83-E", L"NAD83 / Missouri East", kTm, kM},
    {26997, L"MO83-C", L"NAD83 / Missouri Central", kTm, kM},
    {26998, L"MO83-W", L"NAD83 / Missouri West", kTm, kM},
    {3455, L"SD83-SF", L"NAD83 / South Dakota South (ftUS)", kLcc, kFtUs},
    {2274, L"TN83F", L"NAD83 / Tennessee (ftUS)", kLcc, kFtUs},
    {2256, L"MT83IF", L"NAD83 / Montana (ft)", kLcc, kFt},
    {2275, L"TX83-NF", L"NAD83 / Texas North (ftUS)", kLcc, kFtUs},
    {3560, L"UT83-NF", L"NAD83 / Utah North (ftUS)", kLcc, kFtUs},
    {2276, L"TX83-NCF", L"NAD83 / Texas North Central (ftUS)", kLcc, kFtUs},
    {2277, L"TX83-CF", L"NAD83 / Texas Central (ftUS)", kLcc, kFtUs},
    {3423, L"NV83-WF", L"NAD83 / Nevada West (ftUS)", kTm, kFtUs},
    {26852, L"NE83F", L"NAD83 / Nebraska (ftUS)", kLcc, kFtUs},
    {2278, L"TX83-SCF", L"NAD83 / Texas South Central (ftUS)", kLcc, kFtUs},
    {3421, L"NV83-EF", L"NAD83 / Nevada East (ftUS)", kTm, kFtUs},
    {2279, L"TX83-SF", L"NAD83 / Texas South (ftUS)", kLcc, kFtUs},
    {3566, L"UT83-CF", L"NAD83 / Utah Central (ftUS)", kLcc, kFtUs},
    {3437, L"NH83F", L"NAD83 / New Hampshire (ftUS)", kTm, kFtUs},
    {3567, L"UT83-SF", L"NAD83 / Utah South (ftUS)", kLcc, kFtUs},
    {3424, L"NJ83F", L"NAD83 / New Jersey (ftUS)", kTm, kFtUs},
    {5646, L"VT83F", L"NAD83 / Vermont (ftUS)", kTm, kFtUs},
    {2257, L"NM83-EF", L"NAD83 / New Mexico East (ftUS)", kTm, kFtUs},
    {2285, L"WA83-NF", L"NAD83 / Washington North (ftUS)", kLcc, kFtUs},
    {2283, L"VA83-NF", L"NAD83 / Virginia North (ftUS)", kLcc, kFtUs},
    {2258, L"NM83-CF", L"NAD83 / New Mexico Central (ftUS)", kTm, kFtUs},
    {2284, L"VA83-SF", L"NAD83 / Virginia South (ftUS)", kLcc, kFtUs},
    {2259, L"NM83-WF", L"NAD83 / New Mexico West (ftUS)", kTm, kFtUs},
    {2260, L"NY83-EF", L"NAD83 / New York East (ftUS)", kTm, kFtUs},
    {2261, L"NY83-CF", L"NAD83 / New York Central (ftUS)", kTm, kFtUs},
    {26853, L"WV83-NF", L"NAD83 / West Virginia North (ftUS)", kLcc, kFtUs},
    {2262, L"NY83-WF", L"NAD83 / New York West (ftUS)", kTm, kFtUs},
    {26854, L"WV83-SF", L"NAD83 / West Virginia South (ftUS)", kLcc, kFtUs},
    {2263, L"NY83-LIF", L"NAD83 / New York Long Island (ftUS)", kLcc, kFtUs},
    {2264, L"NC83F", L"NAD83 / North Carolina (ftUS)", kLcc, kFtUs},
    {2265, L"NAD83.ND-Nft", L"NAD83 / North Dakota North (ft)", kLcc, kFt},
    {2289, L"WI83-SF", L"NAD83 / Wisconsin South (ftUS)", kLcc, kFtUs},
    {2266, L"NAD83.ND-Sft", L"NAD83 / North Dakota South (ft)", kLcc, kFt},
    {3736, L"WY83-EF", L"NAD83 / Wyoming East (ftUS)", kTm, kFtUs},
    {3734, L"OH83-NF", L"NAD83 / Ohio North (ftUS)", kLcc, kFtUs},
    {3735, L"OH83-SF", L"NAD83 / Ohio South (ftUS)", kLcc, kFtUs},
    {2267, L"OK83-NF", L"NAD83 / Oklahoma North (ftUS)", kLcc, kFtUs},
    {3738, L"WY83-WCF", L"NAD83 / Wyoming West Central (ftUS)", kTm, kFtUs},
    {2268, L"OK83-SF", L"NAD83 / Oklahoma South (ftUS)", kLcc, kFtUs},
    {2269, L"OR83-NIF", L"NAD83 / Oregon North (ft)", kLcc, kFt},
    {3739, L"WY83-WF", L"NAD83 / Wyoming West (ftUS)", kTm, kFtUs},
    {2270, L"OR83-SIF", L"NAD83 / Oregon South (ft)", kLcc, kFt},
    {2271, L"PA83-NF", L"NAD83 / Pennsylvania North (ftUS)", kLcc, kFtUs},
    {2272, L"PA83-SF", L"NAD83 / Pennsylvania South (ftUS)", kLcc, kFtUs},
    {3438, L"RI83F", L"NAD83 / Rhode Island (ftUS)", kTm, kFtUs},
    {2273, L"SC83IF", L"NAD83 / South Carolina (ft)", kLcc, kFt},
    {26929, L"AL83-E", L"NAD83 / Alabama East", kTm, kM},
    {26930, L"AL83-W", L"NAD83 / Alabama West", kTm, kM},
    {2241, L"ID83-EF", L"NAD83 / Idaho East (ftUS)", kTm, kFtUs},
    {2242, L"ID83-CF", L"NAD83 / Idaho Central (ftUS)", kTm, kFtUs},
    {2243, L"ID83-WF", L"NAD83 / Idaho West (ftUS)", kTm, kFtUs},
    {3435, L"IL83-EF", L"NAD83 / Illinois East (ftUS)", kTm, kFtUs},
    {26936, L"AK83-6", L"NAD83 / Alaska zone 6", kTm, kM},
    {2286, L"WA83-SF", L"NAD83 / Washington South (ftUS)", kLcc, kFtUs},
    {2288, L"WI83-CF", L"NAD83 / Wisconsin Central (ftUS)", kLcc, kFtUs},
    {2249, L"MA83F", L"NAD83 / Massachusetts Mainland (ftUS)", kLcc, kFtUs},
    {3436, L"IL83-WF", L"NAD83 / Illinois West (ftUS)", kTm, kFtUs},
    {26937, L"AK83-7", L"NAD83 / Alaska zone 7", kTm, kM},
    {26939, L"AK83-9", L"NAD83 / Alaska zone 9", kTm, kM},
    {26940, L"AK83-10", L"NAD83 / Alaska zone 10", kLcc, kM},
    {26934, L"AK83-4", L"NAD83 / Alaska zone 4", kTm, kM},
    {26933, L"AK83-3", L"NAD83 / Alaska zone 3", kTm, kM},
    {26932, L"AK83-2", L"NAD83 / Alaska zone 2", kTm, kM},
    {26935, L"AK83-5", L"NAD83 / Alaska zone 5", kTm, kM},
    {26938, L"AK83-8", L"NAD83 / Alaska zone 8", kTm, kM},
};

std::string Utf8(const wchar_t* text) { return pelvarhost::WideToUtf8(text != nullptr ? text : L"(null)"); }

TEST(ZoneTableKeys, ListHasOneHundredTwentyDistinctCodes) {
    std::map<std::uint32_t, const ZoneKeys*> byCode;
    for (const ZoneKeys& keys : kPublishedZones) EXPECT_TRUE(byCode.emplace(keys.epsg, &keys).second) << keys.epsg;
    EXPECT_EQ(byCode.size(), 120u);
}

TEST(ZoneTableKeys, EveryRowMatchesItsPublishedKeysAndNoneIsMissingOrExtra) {
    std::map<std::uint32_t, const ZoneKeys*> published;
    for (const ZoneKeys& keys : kPublishedZones) published.emplace(keys.epsg, &keys);
    EXPECT_EQ(kCivil3dZoneCount, published.size());
    for (std::size_t i = 0; i < kCivil3dZoneCount; ++i) {
        const StatePlaneZone& zone = kStatePlaneZones[i];
        auto found = published.find(zone.epsg);
        ASSERT_NE(found, published.end()) << "unlisted EPSG " << zone.epsg;
        const ZoneKeys& keys = *found->second;
        EXPECT_EQ(Utf8(zone.civilCode), Utf8(keys.civilCode)) << zone.epsg;
        EXPECT_EQ(Utf8(zone.name), Utf8(keys.name)) << zone.epsg;
        EXPECT_EQ(zone.kind, keys.kind) << zone.epsg;
        EXPECT_EQ(zone.unitMetres, keys.unitMetres) << zone.epsg;
        published.erase(found);
    }
    for (const auto& [epsg, keys] : published) ADD_FAILURE() << "EPSG " << epsg << " missing from the table";
}

}  // namespace
