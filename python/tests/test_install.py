"""cmake --install puts the module where the installing Python finds it."""
import os
import subprocess
import sys
import sysconfig
import tempfile
import unittest

import cli

BUILD = os.environ.get('TARVIX_BUILD')
CMAKE = os.environ.get('CMAKE_COMMAND', 'cmake')
FINDER = os.path.join(cli.SOURCE, 'python', 'install_dir.py')


class Install(unittest.TestCase):
    def directory_for(self, prefix):
        return subprocess.run([sys.executable, FINDER, prefix], capture_output=True, text=True,
                              check=True).stdout.strip()

    def test_the_directory_is_on_the_path_of_this_python_for_its_own_prefixes(self):
        for prefix in (sys.prefix, '/usr/local'):
            directory = self.directory_for(prefix)
            self.assertTrue(directory.startswith(os.path.join(prefix, 'lib') + os.sep), directory)
            if any(p.startswith(os.path.join(prefix, 'lib')) for p in sys.path):
                self.assertIn(directory, sys.path)

    def test_another_prefix_gets_its_standard_site_packages(self):
        self.assertEqual(self.directory_for('/opt/somewhere'),
                         sysconfig.get_path('platlib', 'posix_prefix',
                                            vars={'base': '/opt/somewhere', 'platbase': '/opt/somewhere'}))

    @unittest.skipUnless(BUILD, 'the build directory is not known')
    def test_the_installed_module_imports_and_runs(self):
        with tempfile.TemporaryDirectory() as prefix:
            subprocess.run([CMAKE, '--install', BUILD, '--component', 'python', '--prefix', prefix], check=True,
                           capture_output=True)
            directory = self.directory_for(prefix)
            env = dict(os.environ, PYTHONPATH=directory)
            done = subprocess.run([sys.executable, '-c', 'import tarvix; print(tarvix.__file__); '
                                   'print(tarvix.cluster([[0, 1], [1, 0]], minimum=2).partitions.tolist())'],
                                  cwd=prefix, env=env, capture_output=True, text=True)
            self.assertEqual(done.returncode, 0, done.stderr)
            path, partitions = done.stdout.splitlines()
            self.assertTrue(path.startswith(directory + os.sep))
            self.assertEqual(partitions, '[[0, 0]]')


if __name__ == '__main__':
    unittest.main()
