// catalog.cpp
// The catalog's presence, coverage and signature. Coverage is membership: the
// catalog lists a file under the upper-case hexadecimal of its hash, SHA-256
// in catalogs made for Windows 8 and later, SHA-1 before (both are looked up
// where the platform computes both; Windows before 8 and Wine only SHA-1). The
// signature is the catalog's own, verified as a signed file with the
// Authenticode policy and no revocation look-up over the network.

#include "kvr7ctl/catalog.h"

#include <softpub.h>

#include "base/trace.h"
#include "base/unique_handle.h"
#include "console/tool_text.h"
#include "inf/decoration.h"
#include "inf/inf_file.h"
#include "kvr7ctl/kvr7ctl_platform.h"
#include "kvr7ctl/kvr7ctl_texts.h"

namespace {

struct CatalogAdminTraits
{
    typedef HCATADMIN Handle;
    static Handle empty() { return nullptr; }
    static void close(Handle admin) { g_kvr7ctlApi.CryptCATAdminReleaseContext(admin, 0); }
};
typedef UniqueHandle<CatalogAdminTraits> UniqueCatalogAdmin;

struct CatalogTraits
{
    typedef HANDLE Handle;
    static Handle empty() { return INVALID_HANDLE_VALUE; }
    static void close(Handle catalog) { g_kvr7ctlApi.CryptCATClose(catalog); }
};
typedef UniqueHandle<CatalogTraits> UniqueCatalog;

GUID g_verifyDriver = DRIVER_ACTION_VERIFY;
GUID g_verifyAuthenticode = WINTRUST_ACTION_GENERIC_VERIFY_V2;

// One trust question, its state released on every path out.
class TrustQuestion
{
public:
    TrustQuestion() : m_data() {}
    ~TrustQuestion()
    {
        if (m_data.hWVTStateData)
        {
            m_data.dwStateAction = WTD_STATEACTION_CLOSE;
            g_kvr7ctlApi.WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE),
                                        &g_verifyAuthenticode, &m_data);
        }
    }
    TrustQuestion(const TrustQuestion&) = delete;
    TrustQuestion& operator=(const TrustQuestion&) = delete;

    // The platform's answer for a signed file, or for a member of a catalog.
    LONG ask(WINTRUST_FILE_INFO* file)
    {
        m_data.dwUnionChoice = WTD_CHOICE_FILE;
        m_data.pFile = file;
        return ask();
    }
    LONG ask(WINTRUST_CATALOG_INFO* member)
    {
        m_data.dwUnionChoice = WTD_CHOICE_CATALOG;
        m_data.pCatalog = member;
        return ask();
    }

    // The name of the first signer's certificate; empty when there is none.
    std::wstring signer() const
    {
        CRYPT_PROVIDER_DATA* data =
            m_data.hWVTStateData ? g_kvr7ctlApi.WTHelperProvDataFromStateData(m_data.hWVTStateData)
                                 : nullptr;
        CRYPT_PROVIDER_SGNR* signer =
            data ? g_kvr7ctlApi.WTHelperGetProvSignerFromChain(data, 0, FALSE, 0) : nullptr;
        if (!signer || signer->csCertChain == 0 || !signer->pasCertChain[0].pCert)
            return std::wstring();
        PCCERT_CONTEXT certificate = signer->pasCertChain[0].pCert;
        const DWORD units = g_kvr7ctlApi.CertGetNameStringW(
            certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
        std::vector<wchar_t> name(units ? units : 1);
        g_kvr7ctlApi.CertGetNameStringW(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr,
                                        name.data(), static_cast<DWORD>(name.size()));
        return name.data();
    }

private:
    // INVALID_HANDLE_VALUE as the window: there is nobody to ask.
    LONG ask()
    {
        m_data.cbStruct = sizeof(m_data);
        m_data.dwUIChoice = WTD_UI_NONE;
        m_data.fdwRevocationChecks = WTD_REVOKE_NONE;
        m_data.dwStateAction = WTD_STATEACTION_VERIFY;
        m_data.dwProvFlags = WTD_CACHE_ONLY_URL_RETRIEVAL;
        return g_kvr7ctlApi.WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE),
                                           &g_verifyAuthenticode, &m_data);
    }

    WINTRUST_DATA m_data;
};

// Whether the platform's trust check turns down a member that no catalog
// holds: a tag and a hash of zeros, claimed for the INF.
bool platformTellsMembership(const std::wstring& catalog, const std::wstring& inf)
{
    BYTE zeros[20] = {};
    WINTRUST_CATALOG_INFO member = {};
    member.cbStruct = sizeof(member);
    member.pcwszCatalogFilePath = catalog.c_str();
    member.pcwszMemberTag = L"0000000000000000000000000000000000000000";
    member.pcwszMemberFilePath = inf.c_str();
    member.pbCalculatedFileHash = zeros;
    member.cbCalculatedFileHash = sizeof(zeros);
    TrustQuestion question;
    const LONG answer = question.ask(&member);
    traceLine(TRACE_CATALOG_PROBE, catalog.c_str(), static_cast<unsigned long>(answer));
    return answer != ERROR_SUCCESS;
}

std::wstring hexTag(const std::vector<BYTE>& hash)
{
    static const wchar_t DIGITS[] = L"0123456789ABCDEF";
    std::wstring tag;
    for (BYTE b : hash)
    {
        tag += DIGITS[b >> 4];
        tag += DIGITS[b & 15];
    }
    return tag;
}

// The member tag of the file at `path` as `compute` hashes an open handle; empty
// when the file cannot be opened or the platform cannot hash it. Each hash
// reads the file from its own handle, from the start.
template <typename Compute> std::wstring memberTag(const std::wstring& path, Compute compute)
{
    UniqueFile file(g_kvr7ctlApi.CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
    DWORD size = 0;
    if (!file.valid())
    {
        traceLine(TRACE_CATALOG_FILE, path.c_str(), L"", GetLastError());
        return std::wstring();
    }
    compute(file.get(), &size, nullptr);
    std::vector<BYTE> hash(size);
    if (size == 0 || !compute(file.get(), &size, hash.data()))
        return std::wstring();
    hash.resize(size);
    return hexTag(hash);
}

// Whether the catalog lists `path`, under its SHA-256 or its SHA-1 hash.
bool listed(HANDLE catalog, HCATADMIN sha256, const std::wstring& path)
{
    std::wstring tags[2];
    if (sha256)
        tags[0] = memberTag(path, [sha256](HANDLE file, DWORD* size, BYTE* hash) {
            return g_kvr7ctlApi.CryptCATAdminCalcHashFromFileHandle2(sha256, file, size, hash, 0);
        });
    tags[1] = memberTag(path, [](HANDLE file, DWORD* size, BYTE* hash) {
        return g_kvr7ctlApi.CryptCATAdminCalcHashFromFileHandle(file, size, hash, 0);
    });
    for (std::wstring& tag : tags)
    {
        if (!tag.empty() && g_kvr7ctlApi.CryptCATGetMemberInfo(catalog, &tag[0]))
        {
            traceLine(TRACE_CATALOG_FILE, path.c_str(), tag.c_str(), 0UL);
            return true;
        }
    }
    traceLine(TRACE_CATALOG_FILE, path.c_str(), tags[1].c_str(),
              static_cast<DWORD>(CRYPT_E_NOT_FOUND));
    return false;
}

std::wstring currentField(CInfFile& inf, uint32_t index)
{
    CWStr text;
    if (inf.getStringField(index, text) != SETUP_OK)
        return std::wstring();
    return std::wstring(text.c_str(), static_cast<size_t>(text.length()));
}

// Field `index` of the first line of `section` with `key`; empty when there is none.
std::wstring field(CInfFile& inf, const wchar_t* section, const wchar_t* key, uint32_t index)
{
    return inf.findLine(section, key) == SETUP_OK ? currentField(inf, index) : std::wstring();
}

// `folder`\`name` without doubled or leading backslashes.
std::wstring joined(const std::wstring& folder, const std::wstring& name)
{
    const size_t start = name.find_first_not_of(L'\\');
    const std::wstring rest = start == std::wstring::npos ? std::wstring() : name.substr(start);
    if (folder.empty() || rest.empty())
        return folder.empty() ? rest : folder;
    return folder.back() == L'\\' ? folder + rest : folder + L"\\" + rest;
}

} // namespace

void readCatalogName(CInfFile& inf, CatalogState* state, std::vector<std::wstring>* files)
{
    const std::wstring platform = architectureWord(inf.architecture());
    std::vector<std::wstring> entries;
    if (!platform.empty())
        entries.push_back(L"CatalogFile.NT" + platform);
    entries.push_back(L"CatalogFile.NT");
    entries.push_back(L"CatalogFile");
    for (const std::wstring& entry : entries)
    {
        state->name = field(inf, L"Version", entry.c_str(), 1);
        state->entry = state->name.empty() ? std::wstring() : entry;
        if (!state->name.empty())
            break;
    }

    // Each file: its name, its disk and its subfolder; then the disk's path.
    files->assign(
        1, std::wstring(inf.filename().c_str(), static_cast<size_t>(inf.filename().length())));
    std::vector<std::wstring> names, disks, folders;
    const std::wstring sections[] = {L"SourceDisksFiles", L"SourceDisksFiles." + platform};
    for (const std::wstring& section : sections)
    {
        for (SetupStatus line = inf.findLine(section.c_str(), nullptr); line == SETUP_OK;
             line = inf.nextLine())
        {
            names.push_back(currentField(inf, 0));
            disks.push_back(currentField(inf, 1));
            folders.push_back(currentField(inf, 2));
        }
    }
    for (size_t i = 0; i < names.size(); ++i)
    {
        std::wstring path =
            field(inf, (L"SourceDisksNames." + platform).c_str(), disks[i].c_str(), 4);
        if (path.empty())
            path = field(inf, L"SourceDisksNames", disks[i].c_str(), 4);
        path = joined(joined(path, folders[i]), names[i]);
        files->push_back(path);
    }
}

void examineCatalog(const std::wstring& folder, const std::vector<std::wstring>& files,
                    CatalogState* state)
{
    const std::wstring path = folder + L"\\" + state->name;
    const DWORD attributes = g_kvr7ctlApi.GetFileAttributesW(path.c_str());
    state->present =
        attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    traceLine(TRACE_CATALOG, state->entry.c_str(), path.c_str(), state->present ? 1UL : 0UL);
    if (!state->present || !platformTellsMembership(path, folder + L"\\" + files[0]))
        return;

    // The catalog's signature: trusted here, and whose.
    WINTRUST_FILE_INFO signedFile = {};
    signedFile.cbStruct = sizeof(signedFile);
    signedFile.pcwszFilePath = path.c_str();
    TrustQuestion question;
    state->trustAnswer = static_cast<DWORD>(question.ask(&signedFile));
    state->trusted = state->trustAnswer == ERROR_SUCCESS ? ANSWER_YES : ANSWER_NO;
    state->signer = question.signer();

    // Membership of every file; a catalog that cannot be opened lists none.
    // SHA-1 needs no context; SHA-256 one of its own, where the platform has it.
    HCATADMIN admin = nullptr;
    UniqueCatalogAdmin sha256(g_kvr7ctlApi.CryptCATAdminAcquireContext2(
                                  &admin, &g_verifyDriver, BCRYPT_SHA256_ALGORITHM, nullptr, 0)
                                  ? admin
                                  : nullptr);
    std::wstring catalogPath = path;
    UniqueCatalog catalog(
        g_kvr7ctlApi.CryptCATOpen(&catalogPath[0], CRYPTCAT_OPEN_EXISTING, 0, 0, 0));
    for (const std::wstring& file : files)
        if (!catalog.valid() || !listed(catalog.get(), sha256.get(), folder + L"\\" + file))
            state->notCovered.push_back(file);
    state->covered = state->notCovered.empty() ? ANSWER_YES : ANSWER_NO;
}

std::wstring unattendedProblem(const CatalogState& state)
{
    if (state.name.empty())
        return UNATTENDED_NO_CATALOG;
    if (!state.present)
        return UNATTENDED_CATALOG_MISSING + state.name;
    if (state.covered == ANSWER_NO)
        return UNATTENDED_NOT_COVERED + state.notCovered.front();
    if (state.trusted == ANSWER_NO)
        return UNATTENDED_NOT_TRUSTED + hex(state.trustAnswer);
    return std::wstring();
}
