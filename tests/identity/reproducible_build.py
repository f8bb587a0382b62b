#!/usr/bin/python3
"""Two clean builds of the shipped Brontiv.exe from the same source, in build folders with
different paths, must give the same bytes, and neither may contain its build folder's path.

    reproducible_build.py SOURCE_DIR
"""

import os
import subprocess
import sys
import tempfile


def build(source_dir, build_dir, log):
    for command in (["cmake", "-S", source_dir, "--preset", "win32", "-B", build_dir],
                    ["cmake", "--build", build_dir, "--target", "Brontiv", "-j", "2"]):
        subprocess.run(command, stdout=log, stderr=subprocess.STDOUT, check=True)
    with open(os.path.join(build_dir, "Brontiv.exe"), "rb") as f:
        return f.read()


def main():
    source_dir = os.path.abspath(sys.argv[1])
    with tempfile.TemporaryDirectory(prefix="brontiv-repro-") as top:
        # Different lengths as well as different names, so that a path that slipped in would
        # also shift everything after it.
        build_dirs = [os.path.join(top, "a"),
                      os.path.join(top, "second", "build", "in", "a", "deeper", "folder")]
        log_path = os.path.join(top, "build.log")
        images = []
        with open(log_path, "w") as log:
            try:
                for build_dir in build_dirs:
                    images.append(build(source_dir, build_dir, log))
            except subprocess.CalledProcessError:
                log.close()
                with open(log_path) as f:
                    sys.stdout.write(f.read())
                raise

        failures = []
        for build_dir, image in zip(build_dirs, images):
            for encoding in ("ascii", "utf-16-le"):
                if build_dir.encode(encoding) in image:
                    failures.append(f"{build_dir}/Brontiv.exe contains its build path ({encoding})")
        first, second = images
        if first != second:
            differing = [i for i, (a, b) in enumerate(zip(first, second)) if a != b]
            failures.append(f"the two builds differ: sizes {len(first)} and {len(second)}, "
                            f"{len(differing)} differing bytes in the common part, first at "
                            f"offset {differing[0] if differing else min(len(first), len(second)):#x}")
        if failures:
            sys.exit("\n".join(failures))
        print(f"two clean builds are identical ({len(first)} bytes)")


if __name__ == "__main__":
    main()
