"""The README's snippets, taken as a new user takes them: every example and
document it names exists, every model excerpt is found in its example, every
command line and every Python block runs (in a scratch folder holding a copy
of examples/), the C host builds and meshes, and every mesh they make passes
the shared mesh checker."""
import glob
import importlib.util
import os
import re
import shlex
import shutil
import subprocess
import sys
import unittest
import xml.etree.ElementTree as ElementTree

from support import COMMAND, EXAMPLES, ScratchTest

ROOT = os.path.dirname(EXAMPLES) if EXAMPLES else ""
HAS_DISTRIBUTED = importlib.util.find_spec("distributed") is not None


def code_blocks(text):
    """(language, body, text before the block) of every fenced block."""
    blocks = []
    for match in re.finditer(r"^```(\w*)\n(.*?)^```$", text, re.M | re.S):
        blocks.append((match.group(1), match.group(2), text[:match.start()]))
    return blocks


def command_lines(body):
    """The lines of a shell block that run the command, as argument lists
    (the trailing comment dropped)."""
    lines = []
    for line in body.splitlines():
        words = shlex.split(line, comments=True)
        if words and words[0] == "build/korvex":
            lines.append(words[1:])
    return lines


def normalised(lines):
    return [" ".join(line.split()) for line in lines if line.strip() and line.strip() != "..."]


@unittest.skipUnless(ROOT and os.path.exists(os.path.join(ROOT, "README.md")), "the source tree is not at hand")
class ReadmeSnippets(ScratchTest):

    def setUp(self):
        super().setUp()
        with open(os.path.join(ROOT, "README.md"), encoding="utf-8") as f:
            self.readme = f.read()
        self.blocks = code_blocks(self.readme)
        shutil.copytree(EXAMPLES, os.path.join(self.folder, "examples"))

    def test_named_files_exist_and_model_excerpts_are_in_their_examples(self):
        named = set(re.findall(r"(?:examples|docs)/[\w./-]+\.(?:sur|svg|md)", self.readme))
        self.assertIn("examples/square_plate.sur", named)
        for path in sorted(named):
            self.assertTrue(os.path.exists(os.path.join(ROOT, path)), path)
        excerpts = [(body, before) for language, body, before in self.blocks if language == "sur"]
        self.assertGreaterEqual(len(excerpts), 4)
        for body, before in excerpts:
            source = re.findall(r"examples/\w+\.sur", before)[-1]  # the example named last before it
            with open(os.path.join(ROOT, source)) as f:
                model = normalised(f.read().splitlines())
            lines, at = normalised(body.splitlines()), 0
            for line in lines:  # each line found after the previous one
                with self.subTest(source=source, line=line):
                    self.assertIn(line, model[at:])
                    at = model.index(line, at) + 1
        with open(os.path.join(ROOT, "Makefile")) as f:
            makefile = f.read()
        for language, body, _ in self.blocks:
            for target in re.findall(r"^make (\w[\w-]*)", body, re.M) if language == "sh" else []:
                self.assertRegex(makefile, rf"(?m)^{target}:", target)

    def test_command_lines_run_and_their_meshes_are_valid(self):
        runs = [words for language, body, _ in self.blocks if language == "sh" for words in command_lines(body)]
        self.assertGreaterEqual(len(runs), 10)
        for words in runs:
            with self.subTest(words=" ".join(words)):
                self.korvex(*words)
        meshes = glob.glob(os.path.join(self.folder, "examples", "*.m3d"))
        self.assertGreaterEqual(len(meshes), 4)
        for m3d in sorted(meshes):
            self.assert_valid_mesh(m3d)
        for svg in glob.glob(os.path.join(self.folder, "*.svg")):
            self.assertTrue(ElementTree.parse(svg).getroot().tag.endswith("svg"), svg)
        for export in ("bracket.vtu", "bracket.msh", "bracket.bdf", "bracket.inp", "dome_panel.vtu"):
            self.assertTrue(os.path.exists(os.path.join(self.folder, "examples", export)), export)

    def test_python_blocks_run(self):
        scripts = [body for language, body, _ in self.blocks if language == "python"]
        self.assertGreaterEqual(len(scripts), 3)
        for k, body in enumerate(scripts):
            if "distributed" in body and not HAS_DISTRIBUTED:
                continue
            with self.subTest(block=k):
                path = self.write(f"block{k}.py", body)
                r = subprocess.run([sys.executable, path], cwd=self.folder, capture_output=True, text=True, timeout=600)
                self.assertEqual(r.returncode, 0, r.stdout[-2000:] + r.stderr[-4000:])
        self.assert_valid_mesh(os.path.join(self.folder, "examples", "square_plate.m3d"))

    @unittest.skipUnless(shutil.which("cc"), "no C compiler")
    def test_c_host_builds_and_meshes(self):
        (body,) = [body for language, body, _ in self.blocks if language == "c"]
        self.write("host.c", body)
        library = os.path.dirname(os.path.realpath(os.environ["KORVEX_LIBRARY"]))
        # A sanitized library leaves its runtime to the preloaded one.
        build = ["cc", "host.c", "-I" + os.path.join(ROOT, "include"), "-L" + library, "-lkorvex",
                 "-Wl,-rpath," + library, "-Wl,--allow-shlib-undefined", "-o", "host"]
        r = subprocess.run(build, cwd=self.folder, capture_output=True, text=True)
        self.assertEqual(r.returncode, 0, r.stderr)
        r = subprocess.run(["./host", "examples/square_plate.sur"], cwd=self.folder, capture_output=True, text=True)
        self.assertEqual(r.returncode, 0, r.stderr[-2000:])
        self.assert_valid_mesh(os.path.join(self.folder, "examples", "square_plate.m3d"))


if __name__ == "__main__":
    unittest.main()
