#!/usr/bin/env python3
"""Checks the winget and Scoop manifests the package build writes beside the zip: each parses,
names the zip's own SHA-256 and the configured address, and points at programs the zip holds.

check_install_manifests.py DIR ZIP_NAME VERSION URL_PATTERN WINGET_ID
"""
import hashlib
import json
import pathlib
import sys
import unittest
import zipfile

import yaml

DIR, ZIP_NAME, VERSION, URL_PATTERN, WINGET_ID = sys.argv[1:6]
FOLDER = pathlib.Path(DIR)
ZIP = FOLDER / ZIP_NAME
URL = URL_PATTERN.replace("{version}", VERSION).replace("{file}", ZIP_NAME)


def zip_members():
    with zipfile.ZipFile(ZIP) as archive:
        return set(archive.namelist())


class InstallManifests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.sha256 = hashlib.sha256(ZIP.read_bytes()).hexdigest()
        cls.members = zip_members()

    def winget(self, suffix, manifest_type):
        path = FOLDER / "winget" / f"{WINGET_ID}{suffix}.yaml"
        manifest = yaml.safe_load(path.read_text(encoding="utf-8"))
        self.assertEqual(manifest["ManifestType"], manifest_type, path)
        self.assertEqual(manifest["PackageIdentifier"], WINGET_ID, path)
        self.assertEqual(manifest["PackageVersion"], VERSION, path)
        self.assertRegex(manifest["ManifestVersion"], r"^\d+\.\d+\.\d+$", path)
        return manifest

    def test_winget_set_installs_both_programs_from_the_zip(self):
        self.assertEqual(self.winget("", "version")["DefaultLocale"], "en-US")
        locale = self.winget(".locale.en-US", "defaultLocale")
        for field in ("Publisher", "PackageName", "License", "ShortDescription"):
            self.assertTrue(locale[field], field)

        installer = self.winget(".installer", "installer")
        self.assertEqual(installer["InstallerType"], "zip")
        self.assertEqual(installer["NestedInstallerType"], "portable")
        files = {
            pathlib.PureWindowsPath(entry["RelativeFilePath"]).as_posix(): entry
            for entry in installer["NestedInstallerFiles"]
        }
        top = ZIP_NAME.removesuffix(".zip")
        self.assertEqual(set(files), {f"{top}/Quillet.exe", f"{top}/quillet-list.exe"})
        self.assertLessEqual(set(files), self.members)
        self.assertEqual(files[f"{top}/quillet-list.exe"]["PortableCommandAlias"], "quillet-list")
        [x64] = installer["Installers"]
        self.assertEqual(x64["Architecture"], "x64")
        self.assertEqual(x64["InstallerUrl"], URL)
        self.assertEqual(x64["InstallerSha256"], self.sha256.upper())

    def test_scoop_manifest_installs_the_zip(self):
        manifest = json.loads((FOLDER / "quillet.json").read_text(encoding="utf-8"))
        self.assertEqual(manifest["version"], VERSION)
        self.assertEqual(manifest["url"], URL)
        self.assertEqual(manifest["hash"].lower(), self.sha256)
        top = manifest["extract_dir"]
        self.assertIn(f"{top}/{manifest['bin']}", self.members)
        self.assertEqual(manifest["bin"], "quillet-list.exe")
        [[target, name]] = manifest["shortcuts"]
        self.assertIn(f"{top}/{target}", self.members)
        self.assertEqual((target, name), ("Quillet.exe", "Quillet"))


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
