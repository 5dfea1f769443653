// exit_codes.h
// kvr7ctl.exe's exit codes, declared once for the program and for those who run
// it. Windows Installer's numbers where one fits, so that fleet tools read them
// as they read an installer's. status gives the first that applies of 1603, 1,
// 20, 21, 3010 and 0.
#pragma once

enum Kvr7ctlExitCode
{
    KVR7CTL_DONE = 0,                // status: a copy staged, every present board on it without a
                                     // problem (or no board); remove: nothing left; deploy:
                                     // installed or staged, and the check confirms it; check:
                                     // nothing stands in the way
    KVR7CTL_NOT_STAGED = 1,          // status: no copy staged
    KVR7CTL_BOARD_OTHER_DRIVER = 20, // status, deploy: a present board runs another driver, or none
    KVR7CTL_BOARD_PROBLEM = 21,      // status, deploy: a board on our driver reports a problem
    KVR7CTL_BAD_COMMAND = 87,        // the command line is wrong
    KVR7CTL_TIMED_OUT = 124,         // deploy: the installer did not end in time and was stopped
    KVR7CTL_NOT_UNATTENDED = 577,    // check -strict: the package will not install unattended
    KVR7CTL_NOT_ADMIN = 740,         // remove and deploy without administrator rights
    KVR7CTL_FAILED = 1603, // a step failed, or status cannot tell (the report names the step)
    KVR7CTL_BUSY = 1618,   // remove: other device installations did not finish in time;
                           // check and deploy: installations or a restart are pending
    KVR7CTL_BLOCKED_BY_POLICY = 1625, // check and deploy: a device installation restriction
                                      // applies to the package
    KVR7CTL_RESTART = 3010,           // status: a device waits for a restart; remove: done, restart
                                      // due; deploy: done, restart due
    // deploy also ends with the installer's own code when the installer failed.
};
