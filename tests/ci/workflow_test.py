#!/usr/bin/python3
"""The hosted workflow parses as YAML and runs what the README says: the
test command, the release command (which writes the page too) and the kit
command in a Debian 12 container, then the kit's run-tests.cmd on a Windows
runner, with their artifacts, the page among them, uploaded.

usage: workflow_test.py WORKFLOW README
"""
import re
import sys
import unittest

import yaml


def commands(job):
    return [step['run'] for step in job['steps'] if 'run' in step]


def uploads(job):
    return [step['with']['name'] for step in job['steps']
            if step.get('uses', '').startswith('actions/upload-artifact')]


class WorkflowTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        with open(WORKFLOW, encoding='utf-8') as f:
            cls.jobs = yaml.safe_load(f)['jobs']
        with open(README, encoding='utf-8') as f:
            # The README's commands are indented code lines.
            cls.readme_commands = re.findall(r'^    (bash tools/\S+)$', f.read(), re.M)

    def test_the_debian_job_runs_the_readmes_commands_in_order(self):
        debian = self.jobs['debian']
        self.assertEqual('debian:bookworm', debian['container'])
        for command in ('bash tools/run-tests.sh', 'bash tools/release.sh',
                        'bash tools/windows-kit.sh'):
            self.assertIn(command, self.readme_commands)
        # The release command clears dist/, so the kit comes after it.
        self.assertEqual(['bash tools/run-tests.sh', 'bash tools/release.sh',
                          'bash tools/windows-kit.sh'],
                         [c for c in commands(debian) if c.startswith('bash tools/')])
        self.assertEqual(['release', 'web-page', 'windows-test-kit'], uploads(debian))
        page = [step['with']['path'] for step in debian['steps']
                if step.get('with', {}).get('name') == 'web-page']
        self.assertEqual(['dist/tactimer.html'], page)

    def test_the_windows_job_runs_the_kit_and_keeps_its_results(self):
        windows = self.jobs['windows']
        self.assertEqual('windows-latest', windows['runs-on'])
        self.assertEqual('debian', windows['needs'])
        downloads = [step['with']['name'] for step in windows['steps']
                     if step.get('uses', '').startswith('actions/download-artifact')]
        self.assertEqual(['windows-test-kit'], downloads)
        self.assertTrue(any('run-tests.cmd' in c for c in commands(windows)))
        results = [step for step in windows['steps']
                   if step.get('uses', '').startswith('actions/upload-artifact')]
        self.assertEqual(1, len(results))
        self.assertEqual('always()', results[0]['if'])
        self.assertIn('results', results[0]['with']['path'])


if __name__ == '__main__':
    if len(sys.argv) != 3:
        sys.exit('usage: workflow_test.py WORKFLOW README')
    WORKFLOW, README = sys.argv[1], sys.argv[2]
    unittest.main(argv=sys.argv[:1], verbosity=1)
