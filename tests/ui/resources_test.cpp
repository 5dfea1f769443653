// resources_test.cpp
// The program file's resources, read back from this test program (which links
// the same resource object as the installer) with the resource and version APIs.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

#include "kvr7_version.h"

namespace {

HMODULE self()
{
    return GetModuleHandleW(nullptr);
}

std::string resourceBytes(LPCWSTR name, LPCWSTR type)
{
    HRSRC info = FindResourceW(self(), name, type);
    if (!info)
        return std::string();
    HGLOBAL data = LoadResource(self(), info);
    const char* bytes = static_cast<const char*>(LockResource(data));
    return bytes ? std::string(bytes, SizeofResource(self(), info)) : std::string();
}

BOOL CALLBACK countName(HMODULE, LPCWSTR, LPWSTR, LONG_PTR count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

TEST(Resources, ManifestAsksForAdministratorAndNothingElse)
{
    int manifests = 0;
    EnumResourceNamesW(self(), MAKEINTRESOURCEW(24), countName,
                       reinterpret_cast<LONG_PTR>(&manifests));
    EXPECT_EQ(1, manifests);

    const std::string manifest = resourceBytes(MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(std::string::npos,
              manifest.find("<requestedExecutionLevel level=\"requireAdministrator\" "
                            "uiAccess=\"false\"/>"));
    // One trust section with one privilege request: no dependencies, no
    // compatibility section, no DPI or other application settings.
    const char* absent[] = {"<dependency", "<compatibility",    "<application",
                            "<file",       "<assemblyIdentity", "dpiAware",
                            "asInvoker",   "highestAvailable"};
    for (const char* text : absent)
        EXPECT_EQ(std::string::npos, manifest.find(text)) << text;
    size_t elements = 0;
    for (size_t at = manifest.find('<'); at != std::string::npos; at = manifest.find('<', at + 1))
        elements += manifest.compare(at, 2, "</") != 0 && manifest.compare(at, 2, "<?") != 0;
    EXPECT_EQ(5u, elements) << "assembly, trustInfo, security, requestedPrivileges, "
                               "requestedExecutionLevel";
}

std::wstring versionString(const std::vector<BYTE>& block, const wchar_t* path)
{
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), path, &value, &length) || !value)
        return L"<missing>";
    return static_cast<const wchar_t*>(value);
}

TEST(Resources, VersionBlockInBritishEnglishWithUnicodeCodePage)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &handle);
    ASSERT_NE(0u, size);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path, 0, size, block.data()));

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(4u, length) << "exactly one language";
    const WORD* translation = static_cast<const WORD*>(value);
    EXPECT_EQ(0x0809, translation[0]);
    EXPECT_EQ(1200, translation[1]);

    const struct
    {
        const wchar_t* path;
        const wchar_t* expected;
    } strings[] = {
        {L"\\StringFileInfo\\080904B0\\FileDescription", L"KVR7 Driver Installer"},
        {L"\\StringFileInfo\\080904B0\\InternalName", L"install.exe"},
        {L"\\StringFileInfo\\080904B0\\OriginalFilename", L"install.exe"},
        {L"\\StringFileInfo\\080904B0\\FileVersion", L"" KVR7_VERSION_TEXT},
        {L"\\StringFileInfo\\080904B0\\ProductVersion", L"" KVR7_VERSION_TEXT},
    };
    for (const auto& s : strings)
        EXPECT_EQ(std::wstring(s.expected), versionString(block, s.path)) << s.path;

    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", &value, &length));
    const VS_FIXEDFILEINFO* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);
    // The numbers are the project version (CMake's project(... VERSION)).
    EXPECT_EQ(static_cast<DWORD>(MAKELONG(KVR7_VERSION_MINOR, KVR7_VERSION_MAJOR)),
              fixed->dwFileVersionMS);
    EXPECT_EQ(static_cast<DWORD>(MAKELONG(0, KVR7_VERSION_PATCH)), fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
    EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);
}

#pragma pack(push, 2)
struct GroupIconEntry
{
    BYTE width;
    BYTE height;
    BYTE colorCount;
    BYTE reserved;
    WORD planes;
    WORD bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)

struct IconImage
{
    int groupWidth;
    int groupHeight;
    int bitCount;
    int imageWidth; // as the loaded image reports it
    int imageHeight;
};

// Each entry of an icon group, with the size of the image it names once loaded.
std::vector<IconImage> iconGroup(int id)
{
    std::vector<IconImage> images;
    const std::string group = resourceBytes(MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(14));
    if (group.size() < 6)
        return images;
    const WORD count = *reinterpret_cast<const WORD*>(group.data() + 4);
    if (group.size() < 6 + count * sizeof(GroupIconEntry))
        return images;
    const GroupIconEntry* entries = reinterpret_cast<const GroupIconEntry*>(group.data() + 6);
    for (WORD i = 0; i < count; ++i)
    {
        IconImage image = {entries[i].width ? entries[i].width : 256,
                           entries[i].height ? entries[i].height : 256, entries[i].bitCount, 0, 0};
        std::string bits = resourceBytes(MAKEINTRESOURCEW(entries[i].id), MAKEINTRESOURCEW(3));
        HICON icon = CreateIconFromResourceEx(reinterpret_cast<BYTE*>(&bits[0]),
                                              static_cast<DWORD>(bits.size()), TRUE, 0x00030000, 0,
                                              0, LR_DEFAULTCOLOR);
        ICONINFO info = {};
        if (icon && GetIconInfo(icon, &info))
        {
            BITMAP bitmap = {};
            GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
            image.imageWidth = bitmap.bmWidth;
            image.imageHeight = bitmap.bmHeight;
            if (info.hbmColor)
                DeleteObject(info.hbmColor);
            if (info.hbmMask)
                DeleteObject(info.hbmMask);
        }
        if (icon)
            DestroyIcon(icon);
        images.push_back(image);
    }
    return images;
}

TEST(Resources, IconGroupsHoldTheirSizes)
{
    const struct
    {
        int id;
        std::vector<int> sizes;
    } groups[] = {
        {101, {16, 17, 32, 34, 64, 68}},
        {102, {16, 17, 32, 48, 64}},
    };
    for (const auto& g : groups)
    {
        const std::vector<IconImage> images = iconGroup(g.id);
        ASSERT_EQ(g.sizes.size(), images.size()) << "group " << g.id;
        for (size_t i = 0; i < images.size(); ++i)
        {
            SCOPED_TRACE(testing::Message() << "group " << g.id << ", size " << g.sizes[i]);
            EXPECT_EQ(g.sizes[i], images[i].groupWidth);
            EXPECT_EQ(g.sizes[i], images[i].groupHeight);
            EXPECT_EQ(32, images[i].bitCount);
            EXPECT_EQ(g.sizes[i], images[i].imageWidth);
            EXPECT_EQ(g.sizes[i], images[i].imageHeight);
        }
    }
    EXPECT_NE(nullptr, LoadIconW(self(), MAKEINTRESOURCEW(101)));
}

} // namespace
