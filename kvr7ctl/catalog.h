// catalog.h
// Whether the package's signature lets it install unattended: the catalog its
// INF names for this platform, whether that file is beside the INF, and, where
// the platform can tell, whether it lists the package's files and whether its
// signature is trusted here, and whose it is. Run as SYSTEM with nobody to
// answer, a package without a trusted catalog that covers it stops at the
// platform's question about an unverified publisher. Every call goes through
// kvr7ctl's seam; nothing here calls CryptCATEnumerateMember, which crashes
// Wine on a file that is no catalog.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

enum CatalogAnswer
{
    ANSWER_NO,
    ANSWER_YES,
    ANSWER_UNKNOWN,
};

struct CatalogState
{
    std::wstring entry; // the [Version] entry that names the catalog; empty when none does
    std::wstring name;  // the catalog's file name, as that entry gives it
    bool present = false;
    CatalogAnswer covered = ANSWER_UNKNOWN;
    std::vector<std::wstring> notCovered; // package files the catalog does not list
    CatalogAnswer trusted = ANSWER_UNKNOWN;
    DWORD trustAnswer = 0; // WinVerifyTrust's answer for the catalog
    std::wstring signer;   // empty when unknown
};

class CInfFile;

// Reads from the open package INF which catalog it names, by the entry the
// platform that the INF reader described prefers (CatalogFile.NT<architecture>,
// then CatalogFile.NT, then CatalogFile) into `state->entry` and `state->name`, and the package's
// files into `files`: the INF first, then each file of [SourceDisksFiles] and
// [SourceDisksFiles.<architecture>], under the path its disk's
// [SourceDisksNames] line and its own subfolder give it.
void readCatalogName(CInfFile& inf, CatalogState* state, std::vector<std::wstring>* files);

// Examines the catalog `state->name` in `folder` for the package files `files`
// (paths relative to `folder`, the INF first), filling the rest of `state`.
// Whether the platform can tell is asked first: its trust check must turn down
// a member that no catalog holds (Wine's answers 0 for anything, findings
// being those of a real catalog); a platform that does not is answered
// "unknown" throughout, never "signed".
void examineCatalog(const std::wstring& folder, const std::vector<std::wstring>& files,
                    CatalogState* state);

// Why the package will not install unattended: empty when nothing says so
// (an unknown answer says nothing).
std::wstring unattendedProblem(const CatalogState& state);
