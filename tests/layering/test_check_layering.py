"""scripts/check-layering.py on small trees: what it refuses and what it lets by."""
import importlib.util
import os
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(HERE, "..", "..", "scripts", "check-layering.py")
spec = importlib.util.spec_from_file_location("check_layering", SCRIPT)
check_layering = importlib.util.module_from_spec(spec)
spec.loader.exec_module(check_layering)


class CheckLayering(unittest.TestCase):
    def tree(self, files):
        root = tempfile.mkdtemp()
        self.addCleanup(lambda: __import__("shutil").rmtree(root))
        with open(os.path.join(root, "CMakeLists.txt"), "w") as f:
            f.write('set(ZX_LAYERS top "left right" app low)\n')
        for path, text in files.items():
            full = os.path.join(root, "src", path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w", encoding="utf-8") as f:
                f.write(text)
        return root

    def test_includes_only_from_below(self):
        root = self.tree({
            "top/a.cpp": '#include "left/b.h"\n#include "low/c.h"\n#include <vector>\n',
            "left/b.h": '#include "left/b2.h"\n#include "app/x.h"\n',
            "low/c.h": '// #include "top/a.h" in a comment is no include\n',
            "low/sub/d.cpp": '\n#include "app/x.h"\n',
            "right/e.cpp": '#include "left/b.h"\n',
            "app/x.h": '#include "top/a.h"\n',
        })
        self.assertEqual(sorted(check_layering.check(root)), [
            "src/app/x.h:1: includes from top, a room above app",
            "src/low/sub/d.cpp:2: includes from app, a room above low",
            "src/right/e.cpp:1: includes from left, a room beside right",
        ])

    def test_a_folder_must_be_a_room(self):
        root = self.tree({"stray/a.cpp": "", "low/b.cpp": ""})
        self.assertEqual(check_layering.check(root),
                         ["src/stray: a folder that is no room of ZX_LAYERS in CMakeLists.txt"])

    def test_product_words_only_in_their_header(self):
        root = self.tree({
            "app/product_words.h": 'inline constexpr char16_t kProductPad[] = u"ZorvexPad";\n',
            "app/a.cpp": ('// ZorvexPad in a comment is fine\n'
                          'auto x = u"ZorvexSetupForm";  // the program\'s own window name\n'
                          'auto y = u"C:\\\\Data\\\\Zorvex7";\n'
                          'auto z = "CopiedLastMarbekVersion.txt"; auto w = u"Tonalix : x";\n'),
        })
        self.assertEqual(check_layering.check(root), [
            'src/app/a.cpp:3: product word "C:\\\\Data\\\\Zorvex7" outside app/product_words.h',
            'src/app/a.cpp:4: product word "CopiedLastMarbekVersion.txt" outside app/product_words.h',
            'src/app/a.cpp:4: product word "Tonalix : x" outside app/product_words.h',
        ])


if __name__ == "__main__":
    unittest.main()
