#!/usr/bin/env bash
# Installs the build into a temporary prefix and uses it as a user would: the
# installed brisk-cli, run from elsewhere, finds its templates and sample store
# under the prefix and gives the same analysis as the build tree's; it exports
# a workbook; the desktop entry and the AppStream data pass their validators
# (each skipped with a message where the validator is absent).
#   usage: install_test.sh BUILD_DIR
set -euo pipefail

build=$(cd "$1" && pwd)
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
id=org.example.BriskVezoriv
for file in bin/brisk bin/brisk-cli libexec/brisk/brisk-parse share/brisk/log.txt "share/brisk/%%BRISK Vezoriv Analysis Template%%.xlsm" \
            share/brisk/sample-store/Sent\ Items/cur share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
            share/icons/hicolor/scalable/apps/$id.svg share/icons/hicolor/48x48/apps/$id.png \
            share/icons/hicolor/256x256/apps/$id.png share/man/man1/brisk.1 share/man/man1/brisk-cli.1; do
  [[ -e "$prefix/$file" ]] || fail "not installed: $file"
done
[[ ! -e "$prefix/share/brisk/sample-store/.complete" ]] || fail "the build's stamp was installed"

cli="$prefix/bin/brisk-cli"
cd "$prefix"
"$cli" --version | grep -q '^brisk-cli (BRISK Vezoriv Rireviru) [0-9]' || fail "--version"
installed=$("$cli" --json "$prefix/share/brisk/sample-store")
built=$("$build/app/brisk-cli" --json "$build/data/sample-store")
[[ "$installed" == "$built" ]] || fail "the installed program's analysis differs from the build tree's"
grep -q '"lEmailsAnalysed": *[1-9]' <<<"$installed" || fail "nothing analysed: $installed"

"$cli" --export "$prefix/results.xlsm" "$prefix/share/brisk/sample-store" >/dev/null 2>&1 ||
  fail "export from the installed program"
/usr/bin/python3 -c 'import sys, zipfile; n = zipfile.ZipFile(sys.argv[1]).namelist()
assert "xl/workbook.xml" in n and any(x.startswith("xl/worksheets/") for x in n), n' "$prefix/results.xlsm" ||
  fail "the exported workbook is not a workbook"

# Whether the validator is there; a message saying what is skipped when not.
has() { command -v "$1" >/dev/null || { echo "SKIP: $1 is not installed ($2)"; false; }; }
if has desktop-file-validate desktop-file-utils; then
  out=$(desktop-file-validate "$prefix/share/applications/$id.desktop" 2>&1) && [[ -z "$out" ]] ||
    fail "desktop-file-validate: $out"
fi
if has appstreamcli appstream; then
  appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null ||
    fail "appstreamcli: $(appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" 2>&1)"
fi
if has groff "the manual pages were not formatted"; then
  for page in brisk brisk-cli; do
    warnings=$(groff -man -Tutf8 -ww -z "$prefix/share/man/man1/$page.1" 2>&1)
    [[ -z "$warnings" ]] || fail "$page.1: $warnings"
  done
fi
echo "installed into $prefix and checked"
