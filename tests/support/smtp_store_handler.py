"""aiosmtpd handler for the tests: stores each mail it accepts in a folder.

Each mail becomes two files, numbered in order of arrival: NNNN.eml holds
the content exactly as received (dot-stuffing undone), NNNN.env the envelope
(the MAIL FROM address on the first line, then one RCPT TO address a line),
NNNN.tls how the TLS connection began ("full" or "resumed"; none without TLS).
All are complete before the server answers the end of data.
"""

import asyncio
import os


class StoreHandler:
    def __init__(self, folder, delay=0.0):
        self.folder = folder
        self.delay = delay
        self.count = 0

    @classmethod
    def from_cli(cls, parser, *args):
        # An optional second argument: seconds to wait before each answer to
        # the end of data, a slow server for tests of runs that overlap.
        if len(args) not in (1, 2):
            parser.error("StoreHandler takes the folder to store mails in [and a delay]")
        return cls(args[0], float(args[1]) if len(args) == 2 else 0.0)

    def _write(self, name, data):
        path = os.path.join(self.folder, name)
        with open(path + ".part", "wb") as f:
            f.write(data)
        os.replace(path + ".part", path)

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        # A recipient whose local part starts with "refuse" is refused, for
        # tests of a run that meets a failing mail.
        if address.lower().startswith("refuse"):
            return "550 5.1.1 recipient refused"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        if self.delay:
            await asyncio.sleep(self.delay)
        self.count += 1
        stem = "%04d" % self.count
        lines = [envelope.mail_from] + list(envelope.rcpt_tos)
        env = "".join(line + "\n" for line in lines)
        self._write(stem + ".eml", envelope.original_content)
        self._write(stem + ".env", env.encode("utf-8", "surrogateescape"))
        tls = (session.ssl or {}).get("ssl_object") if hasattr(session, "ssl") else None
        if tls is not None:
            self._write(stem + ".tls", b"resumed" if tls.session_reused else b"full")
        return "250 OK stored"
