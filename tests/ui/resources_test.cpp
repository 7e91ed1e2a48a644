// tactimer.exe's resources, loaded as data and read back byte by byte:
// templates, menu, accelerators, strings, icons, languages and manifest.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "calc/note_length_table.h"
#include "res/resource_ids.h"
#include "tests/ui/tactimer_path.h"

namespace {

constexpr WORD kJapanese = 0x0411;
constexpr WORD kEnglishUs = 0x0409;

class ResourcesTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        s_module = LoadLibraryExW(g_tactimerPath.c_str(), nullptr,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    }
    static void TearDownTestSuite() { FreeLibrary(s_module); }

    void SetUp() override { ASSERT_NE(nullptr, s_module) << "cannot load tactimer.exe as data"; }

    // The bytes of one resource, empty when it is missing.
    static std::vector<BYTE> Bytes(LPCWSTR type, int id, WORD language = kJapanese) {
        HRSRC found = FindResourceExW(s_module, type, MAKEINTRESOURCEW(id), language);
        if (found == nullptr) {
            return {};
        }
        const BYTE *data = static_cast<const BYTE *>(LockResource(LoadResource(s_module, found)));
        return std::vector<BYTE>(data, data + SizeofResource(s_module, found));
    }

    static HMODULE s_module;
};

HMODULE ResourcesTest::s_module;

// ---- Every resource, by type, name and language ----

typedef std::tuple<int, int, int> ResourceKey;  // type, name, language

BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR keys) {
    reinterpret_cast<std::set<ResourceKey> *>(keys)->insert(
        {static_cast<int>(reinterpret_cast<ULONG_PTR>(type)),
         IS_INTRESOURCE(name) ? static_cast<int>(reinterpret_cast<ULONG_PTR>(name)) : -1,
         language});
    return TRUE;
}

BOOL CALLBACK AddName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR keys) {
    EnumResourceLanguagesW(module, type, name, AddLanguage, keys);
    return TRUE;
}

BOOL CALLBACK AddType(HMODULE module, LPWSTR type, LONG_PTR keys) {
    EnumResourceNamesW(module, type, AddName, keys);
    return TRUE;
}

TEST_F(ResourcesTest, HoldsExactlyTheResourcesInTheirLanguages) {
    std::set<ResourceKey> keys;
    EnumResourceTypesW(s_module, AddType, reinterpret_cast<LONG_PTR>(&keys));
    std::set<ResourceKey> expected = {
        {5, IDD_CALC_FORM, kJapanese},
        {5, IDD_VERSION_INFO, kJapanese},
        {4, IDR_FRAME, kJapanese},
        {9, IDR_FRAME, kJapanese},
        {6, IDS_TITLE / 16 + 1, kJapanese},  // the one string block, for 102 and 108
        {14, IDI_FRAME, kJapanese},
        {14, IDI_FRAME_SMALL, kJapanese},
        {24, 1, kEnglishUs},
    };
    for (int image = 1; image <= 8; ++image) {
        expected.insert({3, image, kJapanese});
    }
    // No RT_VERSION (16) among them.
    EXPECT_EQ(expected, keys);
}

// ---- Dialog templates ----

struct DialogItem {
    int id;
    std::wstring className;
    std::wstring text;  // an ordinal reads "#n"
    int x, y, cx, cy;
    DWORD style;
    DWORD exStyle;
    DWORD helpId;
    WORD extraBytes;
};

struct DialogTemplate {
    WORD version, signature;
    DWORD helpId, exStyle, style;
    int x, y, cx, cy;
    std::wstring menu, className, caption;
    int pointSize, weight, italic, charset;
    std::wstring typeface;
    std::vector<DialogItem> items;
};

class TemplateReader {
public:
    explicit TemplateReader(const std::vector<BYTE> &bytes) : bytes_(bytes) {}
    WORD Word() { return Take<WORD>(); }
    DWORD Dword() { return Take<DWORD>(); }
    short Short() { return Take<short>(); }
    BYTE Byte() { return Take<BYTE>(); }
    void AlignToDword() { offset_ = (offset_ + 3) & ~size_t(3); }
    std::wstring String() {
        std::wstring text;
        for (WORD c; (c = Word()) != 0;) {
            text += static_cast<wchar_t>(c);
        }
        return text;
    }
    // A string, an ordinal ("#n") or nothing.
    std::wstring StringOrOrdinal() {
        const WORD first = Word();
        if (first == 0) {
            return L"";
        }
        if (first == 0xFFFF) {
            return L"#" + std::to_wstring(Word());
        }
        offset_ -= sizeof(WORD);
        return String();
    }
    bool Ok() const { return ok_; }

private:
    template <typename T>
    T Take() {
        T value = T();
        if (offset_ + sizeof(T) > bytes_.size()) {
            ok_ = false;
            return value;
        }
        std::memcpy(&value, &bytes_[offset_], sizeof(T));
        offset_ += sizeof(T);
        return value;
    }
    const std::vector<BYTE> &bytes_;
    size_t offset_ = 0;
    bool ok_ = true;
};

// The dialog manager's predefined classes, as templates may name them.
std::wstring ClassFromOrdinal(const std::wstring &name) {
    if (name == L"#128") {
        return L"BUTTON";
    }
    if (name == L"#129") {
        return L"EDIT";
    }
    if (name == L"#130") {
        return L"STATIC";
    }
    std::wstring upper = name;
    for (wchar_t &c : upper) {
        c = static_cast<wchar_t>(towupper(c));
    }
    return upper;
}

DialogTemplate ReadDialog(const std::vector<BYTE> &bytes) {
    TemplateReader reader(bytes);
    DialogTemplate dialog;
    dialog.version = reader.Word();
    dialog.signature = reader.Word();
    dialog.helpId = reader.Dword();
    dialog.exStyle = reader.Dword();
    dialog.style = reader.Dword();
    const int count = reader.Word();
    dialog.x = reader.Short();
    dialog.y = reader.Short();
    dialog.cx = reader.Short();
    dialog.cy = reader.Short();
    dialog.menu = reader.StringOrOrdinal();
    dialog.className = reader.StringOrOrdinal();
    dialog.caption = reader.String();
    dialog.pointSize = reader.Word();
    dialog.weight = reader.Word();
    dialog.italic = reader.Byte();
    dialog.charset = reader.Byte();
    dialog.typeface = reader.String();
    for (int i = 0; i < count && reader.Ok(); ++i) {
        reader.AlignToDword();
        DialogItem item;
        item.helpId = reader.Dword();
        item.exStyle = reader.Dword();
        item.style = reader.Dword();
        item.x = reader.Short();
        item.y = reader.Short();
        item.cx = reader.Short();
        item.cy = reader.Short();
        item.id = static_cast<int>(reader.Dword());
        item.className = ClassFromOrdinal(reader.StringOrOrdinal());
        item.text = reader.StringOrOrdinal();
        item.extraBytes = reader.Word();
        dialog.items.push_back(item);
    }
    EXPECT_TRUE(reader.Ok()) << "template ends early";
    return dialog;
}

struct ExpectedControl {
    int id;
    const wchar_t *className;
    const wchar_t *text;
    int x, y, cx, cy;
    DWORD style;
};

constexpr DWORD kButton = 0x50010001;
constexpr DWORD kInput = 0x50810082;
constexpr DWORD kResult = 0x50802882;
constexpr DWORD kCaption = 0x50000201;

const ExpectedControl kFormControls[] = {
    {1001, L"BUTTON", L"計算", 172, 7, 31, 14, kButton},
    {1007, L"EDIT", L"", 44, 7, 40, 14, kInput},
    {1008, L"EDIT", L"", 127, 7, 40, 14, kInput},
    {1009, L"EDIT", L"", 44, 35, 40, 14, kResult},
    {1010, L"EDIT", L"", 44, 49, 40, 14, kResult},
    {-1, L"STATIC", L"Tempo", 7, 10, 33, 8, kCaption},
    {-1, L"STATIC", L"分解能", 89, 10, 33, 8, kCaption},
    {-1, L"STATIC", L"Tick", 7, 38, 33, 8, kCaption},
    {-1, L"STATIC", L"ミリ秒", 7, 52, 33, 8, kCaption},
    {1011, L"EDIT", L"", 86, 35, 40, 14, kResult},
    {1012, L"EDIT", L"", 86, 49, 40, 14, kResult},
    {1015, L"EDIT", L"", 127, 35, 40, 14, kResult},
    {1016, L"EDIT", L"", 127, 49, 40, 14, kResult},
    {1017, L"EDIT", L"", 171, 35, 40, 14, kResult},
    {1018, L"EDIT", L"", 171, 49, 40, 14, kResult},
    {-1, L"STATIC", L"1/32", 47, 25, 33, 8, kCaption},
    {-1, L"STATIC", L"1/16", 89, 25, 33, 8, kCaption},
    {-1, L"STATIC", L"1/8", 130, 25, 33, 8, kCaption},
    {-1, L"STATIC", L"1/4", 171, 25, 33, 8, kCaption},
    {1013, L"EDIT", L"", 44, 76, 40, 14, kResult},
    {1014, L"EDIT", L"", 44, 90, 40, 14, kResult},
    {-1, L"STATIC", L"Tick", 7, 79, 33, 8, kCaption},
    {-1, L"STATIC", L"ミリ秒", 7, 93, 33, 8, kCaption},
    {1019, L"EDIT", L"", 86, 76, 40, 14, kResult},
    {1020, L"EDIT", L"", 86, 90, 40, 14, kResult},
    {1021, L"EDIT", L"", 127, 76, 40, 14, kResult},
    {1022, L"EDIT", L"", 127, 90, 40, 14, kResult},
    {1023, L"EDIT", L"", 171, 76, 40, 14, kResult},
    {1024, L"EDIT", L"", 171, 90, 40, 14, kResult},
    {-1, L"STATIC", L"1/2", 47, 66, 33, 8, kCaption},
    {-1, L"STATIC", L"1", 89, 66, 33, 8, kCaption},
    {-1, L"STATIC", L"2", 130, 66, 33, 8, kCaption},
    {-1, L"STATIC", L"4", 171, 66, 33, 8, kCaption},
    {1025, L"EDIT", L"", 44, 117, 40, 14, kResult},
    {1026, L"EDIT", L"", 44, 130, 40, 14, kResult},
    {-1, L"STATIC", L"Tick", 7, 119, 33, 8, kCaption},
    {-1, L"STATIC", L"ミリ秒", 7, 134, 33, 8, kCaption},
    {1027, L"EDIT", L"", 86, 117, 40, 14, kResult},
    {1028, L"EDIT", L"", 86, 130, 40, 14, kResult},
    {1029, L"EDIT", L"", 127, 117, 40, 14, kResult},
    {1030, L"EDIT", L"", 127, 130, 40, 14, kResult},
    {1031, L"EDIT", L"", 171, 117, 40, 14, kResult},
    {1032, L"EDIT", L"", 171, 130, 40, 14, kResult},
    {-1, L"STATIC", L"付点1/32", 47, 106, 33, 8, kCaption},
    {-1, L"STATIC", L"付点1/16", 89, 106, 33, 8, kCaption},
    {-1, L"STATIC", L"付点1/8", 130, 106, 33, 8, kCaption},
    {-1, L"STATIC", L"付点1/4", 171, 106, 33, 8, kCaption},
    {1033, L"EDIT", L"", 44, 156, 40, 14, kResult},
    {1034, L"EDIT", L"", 44, 169, 40, 14, kResult},
    {-1, L"STATIC", L"Tick", 7, 158, 33, 8, kCaption},
    {-1, L"STATIC", L"ミリ秒", 7, 172, 33, 8, kCaption},
    {1035, L"EDIT", L"", 86, 156, 40, 14, kResult},
    {1036, L"EDIT", L"", 86, 169, 40, 14, kResult},
    {1037, L"EDIT", L"", 127, 156, 40, 14, kResult},
    {1038, L"EDIT", L"", 127, 169, 40, 14, kResult},
    {1039, L"EDIT", L"", 171, 156, 40, 14, kResult},
    {1040, L"EDIT", L"", 171, 169, 40, 14, kResult},
    {-1, L"STATIC", L"付点1/2", 47, 145, 33, 8, kCaption},
    {-1, L"STATIC", L"付点1", 89, 145, 33, 8, kCaption},
    {-1, L"STATIC", L"付点2", 130, 145, 33, 8, kCaption},
    {-1, L"STATIC", L"付点4", 171, 145, 33, 8, kCaption},
};

const ExpectedControl kVersionBoxControls[] = {
    {2, L"STATIC", L"#106", 14, 9, 20, 20, 0x50000003},
    {-1, L"STATIC", L"Tactimer Version 1.0", 49, 10, 119, 8, 0x50020080},
    {-1, L"STATIC", nullptr, 49, 20, 119, 8, 0x50020000},  // the credit line
    {1, L"BUTTON", L"OK", 195, 6, 30, 11, 0x50030001},
};

template <size_t N>
void ExpectControls(const DialogTemplate &dialog, const ExpectedControl (&expected)[N]) {
    ASSERT_EQ(N, dialog.items.size());
    for (size_t i = 0; i < N; ++i) {
        const DialogItem &item = dialog.items[i];
        const ExpectedControl &want = expected[i];
        SCOPED_TRACE(testing::Message() << "control #" << i + 1);
        EXPECT_EQ(want.id, item.id);
        EXPECT_EQ(want.className, item.className);
        if (want.text != nullptr) {
            EXPECT_EQ(want.text, item.text);
        }
        EXPECT_EQ(want.x, item.x);
        EXPECT_EQ(want.y, item.y);
        EXPECT_EQ(want.cx, item.cx);
        EXPECT_EQ(want.cy, item.cy);
        EXPECT_EQ(want.style, item.style) << std::hex << "style 0x" << item.style;
        EXPECT_EQ(0u, item.exStyle);
        EXPECT_EQ(0u, item.helpId);
        EXPECT_EQ(0, item.extraBytes);
    }
}

TEST_F(ResourcesTest, CalculatorFormTemplate) {
    const DialogTemplate form = ReadDialog(Bytes(RT_DIALOG, IDD_CALC_FORM));
    EXPECT_EQ(1, form.version);
    EXPECT_EQ(0xFFFF, form.signature);
    EXPECT_EQ(0x40800048u, form.style);
    EXPECT_EQ(0u, form.exStyle);
    EXPECT_EQ(0u, form.helpId);
    EXPECT_EQ(0, form.x);
    EXPECT_EQ(0, form.y);
    EXPECT_EQ(218, form.cx);
    EXPECT_EQ(193, form.cy);
    EXPECT_EQ(L"", form.menu);
    EXPECT_EQ(L"", form.className);
    EXPECT_EQ(L"", form.caption);
    EXPECT_EQ(8, form.pointSize);
    EXPECT_EQ(400, form.weight);
    EXPECT_EQ(0, form.italic);
    EXPECT_EQ(1, form.charset);
    EXPECT_EQ(L"MS Shell Dlg", form.typeface);
    ExpectControls(form, kFormControls);
}

// Each note's two fields sit in its grid cell, its caption above them.
TEST_F(ResourcesTest, FormPlacesEveryNoteInItsGridCell) {
    const DialogTemplate form = ReadDialog(Bytes(RT_DIALOG, IDD_CALC_FORM));
    auto find = [&](auto matches) -> const DialogItem * {
        for (const DialogItem &item : form.items) {
            if (matches(item)) {
                return &item;
            }
        }
        return nullptr;
    };
    const int fieldX[] = {44, 86, 127, 171};
    for (const NoteLengthEntry &entry : NoteLengthTable) {
        SCOPED_TRACE(testing::Message() << "note " << testing::PrintToString(entry.caption));
        const DialogItem *ticks =
            find([&](const DialogItem &i) { return i.id == entry.tickFieldId; });
        const DialogItem *ms =
            find([&](const DialogItem &i) { return i.id == entry.millisecondFieldId; });
        const DialogItem *caption = find([&](const DialogItem &i) {
            return i.id == -1 && i.text == entry.caption &&
                   std::abs(i.x - fieldX[entry.gridColumn - 1]) <= 3;
        });
        ASSERT_NE(nullptr, ticks);
        ASSERT_NE(nullptr, ms);
        ASSERT_NE(nullptr, caption);
        EXPECT_EQ(fieldX[entry.gridColumn - 1], ticks->x);
        EXPECT_EQ(ticks->x, ms->x);
        EXPECT_GT(ms->y, ticks->y);
        EXPECT_GT(ticks->y, caption->y);
        EXPECT_LT(ticks->y - caption->y, 14);
    }
}

TEST_F(ResourcesTest, VersionBoxTemplate) {
    const DialogTemplate box = ReadDialog(Bytes(RT_DIALOG, IDD_VERSION_INFO));
    EXPECT_EQ(1, box.version);
    EXPECT_EQ(0xFFFF, box.signature);
    EXPECT_EQ(0x10C800C0u, box.style);
    EXPECT_EQ(0u, box.exStyle);
    EXPECT_EQ(0u, box.helpId);
    EXPECT_EQ(22, box.x);
    EXPECT_EQ(17, box.y);
    EXPECT_EQ(230, box.cx);
    EXPECT_EQ(75, box.cy);
    EXPECT_EQ(L"", box.menu);
    EXPECT_EQ(L"", box.className);
    EXPECT_EQ(L"バージョン情報", box.caption);
    EXPECT_EQ(9, box.pointSize);
    EXPECT_EQ(0, box.weight);
    EXPECT_EQ(0, box.italic);
    EXPECT_EQ(0, box.charset);
    EXPECT_EQ(L"MS UI Gothic", box.typeface);
    ExpectControls(box, kVersionBoxControls);
    ASSERT_EQ(4u, box.items.size());
    EXPECT_NE(std::wstring::npos, box.items[2].text.find(L"2026")) << "credit line with a year";
    EXPECT_EQ(L"Tactimer Version " TACTIMER_VERSION, box.items[1].text)
        << "the release is named for version " TACTIMER_VERSION;
}

// ---- Menu, accelerators, strings ----

std::wstring MenuText(HMENU menu, int position) {
    wchar_t text[100] = L"";
    GetMenuStringW(menu, position, text, 100, MF_BYPOSITION);
    return text;
}

TEST_F(ResourcesTest, MenuHasTwoPopUpsOfOneItemEach) {
    HMENU menu = LoadMenuW(s_module, MAKEINTRESOURCEW(IDR_FRAME));
    ASSERT_NE(nullptr, menu);
    ASSERT_EQ(2, GetMenuItemCount(menu));
    const struct {
        const wchar_t *popup;
        const wchar_t *item;
        UINT command;
    } expected[] = {
        {L"ファイル(&F)", L"アプリケーションの終了(&X)", IDM_QUIT},
        {L"ヘルプ(&H)", L"バージョン情報(&A)...", IDM_SHOW_VERSION},
    };
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(expected[i].popup, MenuText(menu, i));
        HMENU popup = GetSubMenu(menu, i);
        ASSERT_NE(nullptr, popup);
        ASSERT_EQ(1, GetMenuItemCount(popup));
        EXPECT_EQ(expected[i].item, MenuText(popup, 0));
        EXPECT_EQ(expected[i].command, GetMenuItemID(popup, 0));
    }
    DestroyMenu(menu);
}

TEST_F(ResourcesTest, AcceleratorsAreAltCharacterEntries) {
    HACCEL table = LoadAcceleratorsW(s_module, MAKEINTRESOURCEW(IDR_FRAME));
    ASSERT_NE(nullptr, table);
    ACCEL entries[4];
    ASSERT_EQ(2, CopyAcceleratorTableW(table, entries, 4));
    const WORD keys[] = {'?', '/'};
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(keys[i], entries[i].key);
        // FALT without FVIRTKEY: a character, not a virtual key.
        EXPECT_EQ(FALT, entries[i].fVirt & ~FNOINVERT);
        EXPECT_EQ(IDM_SHOW_VERSION, entries[i].cmd);
    }
    DestroyAcceleratorTable(table);
}

TEST_F(ResourcesTest, StringTableHoldsOnlyTitleAndClassName) {
    // A block holds 16 counted strings; ours is the one for ids 96 to 111.
    const std::vector<BYTE> block = Bytes(RT_STRING, IDS_TITLE / 16 + 1);
    ASSERT_FALSE(block.empty());
    TemplateReader reader(block);
    for (int id = (IDS_TITLE / 16) * 16; id < (IDS_TITLE / 16 + 1) * 16; ++id) {
        std::wstring text(reader.Word(), L'\0');
        for (wchar_t &c : text) {
            c = static_cast<wchar_t>(reader.Word());
        }
        const wchar_t *want = id == IDS_TITLE      ? L"Tactimer"
                              : id == IDS_WNDCLASS ? L"TACTIMER"
                                                   : L"";
        EXPECT_EQ(want, text) << "string " << id;
    }
    EXPECT_TRUE(reader.Ok());
}

// ---- Icons and manifest ----

#pragma pack(push, 2)
struct GroupIconEntry {
    BYTE width, height, colourCount, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST_F(ResourcesTest, IconGroupsHoldTheEightBitmapImages) {
    const struct {
        int size, bits;
    } expected[] = {{32, 4}, {16, 4}, {48, 8}, {32, 8}, {16, 8}, {48, 24}, {32, 24}, {16, 24}};
    for (int group : {IDI_FRAME, IDI_FRAME_SMALL}) {
        SCOPED_TRACE(testing::Message() << "icon group " << group);
        const std::vector<BYTE> directory = Bytes(RT_GROUP_ICON, group);
        ASSERT_EQ(6 + 8 * sizeof(GroupIconEntry), directory.size());
        TemplateReader reader(directory);
        EXPECT_EQ(0, reader.Word());
        EXPECT_EQ(1, reader.Word());
        ASSERT_EQ(8, reader.Word());
        for (int i = 0; i < 8; ++i) {
            GroupIconEntry entry;
            std::memcpy(&entry, &directory[6 + i * sizeof entry], sizeof entry);
            EXPECT_EQ(expected[i].size, entry.width) << "image " << i;
            EXPECT_EQ(expected[i].size, entry.height) << "image " << i;
            EXPECT_EQ(expected[i].bits, entry.bitCount) << "image " << i;
            EXPECT_EQ(expected[i].bits == 4 ? 16 : 0, entry.colourCount) << "image " << i;
            const std::vector<BYTE> image = Bytes(RT_ICON, entry.id);
            ASSERT_EQ(entry.bytes, image.size()) << "image " << i;
            BITMAPINFOHEADER header;
            ASSERT_GE(image.size(), sizeof header);
            std::memcpy(&header, image.data(), sizeof header);
            // A classic bitmap with its mask below: twice as tall. No PNG.
            EXPECT_EQ(sizeof header, header.biSize) << "image " << i;
            EXPECT_EQ(expected[i].size, header.biWidth) << "image " << i;
            EXPECT_EQ(2 * expected[i].size, header.biHeight) << "image " << i;
            EXPECT_EQ(expected[i].bits, header.biBitCount) << "image " << i;
            EXPECT_EQ(static_cast<DWORD>(BI_RGB), header.biCompression) << "image " << i;
        }
    }
    // Both load as icons.
    EXPECT_NE(nullptr, LoadImageW(s_module, MAKEINTRESOURCEW(IDI_FRAME), IMAGE_ICON, 16, 16, 0));
    EXPECT_NE(nullptr,
              LoadImageW(s_module, MAKEINTRESOURCEW(IDI_FRAME_SMALL), IMAGE_ICON, 48, 48, 0));
}

TEST_F(ResourcesTest, ManifestNamesNoAssemblyAndAsksForNothingMore) {
    const std::vector<BYTE> bytes = Bytes(RT_MANIFEST, 1, kEnglishUs);
    ASSERT_FALSE(bytes.empty());
    const std::string manifest(bytes.begin(), bytes.end());
    EXPECT_NE(std::string::npos, manifest.find("asInvoker"));
    for (const char *absent :
         {"dependency", "assemblyIdentity", "Common-Controls", "dpiAware", "dpiAwareness", "CRT"}) {
        EXPECT_EQ(std::string::npos, manifest.find(absent)) << absent;
    }
}

}  // namespace
