"""A real SMTP server for the tests: aiosmtpd on 127.0.0.1, storing mails
with StoreHandler, with STARTTLS, implicit TLS and AUTH when asked.

    smtp_test_server.py FOLDER PORT [--tls CERT KEY] [--implicit PORT]
                        [--auth USER PASSWORD] [--auth-in-clear] [--exclude MECHANISM...]
                        [--delay SECONDS]

--tls offers STARTTLS on PORT (and requires it before mail); --implicit
listens on a second port that speaks TLS from the first byte. --auth takes
the one login the server accepts (AUTH is then required before mail);
--auth-in-clear offers AUTH without TLS, as a careless server would;
--exclude leaves out mechanisms (PLAIN, LOGIN) from what AUTH offers;
--delay waits that long before answering each mail's end of data.

The first word of every command line (never its arguments, which may carry
a login) is appended to FOLDER/commands.log, so a test can tell what the
client sent.
"""

import argparse
import asyncio
import logging
import os
import ssl
import warnings

from aiosmtpd.smtp import SMTP, AuthResult

from smtp_store_handler import StoreHandler


class CommandLog(logging.Handler):
    """Takes aiosmtpd's "peer >> line" records; writes each line's verb."""

    def __init__(self, path):
        super().__init__()
        self.path = path

    def emit(self, record):
        if record.msg != "%r >> %r" or len(record.args) != 2:
            return
        line = record.args[1]
        verb = line.split(b" ", 1)[0].decode("ascii", "replace").upper()
        with open(self.path, "a") as f:
            f.write(verb + "\n")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("port", type=int)
    parser.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--implicit", type=int)
    parser.add_argument("--auth", nargs=2, metavar=("USER", "PASSWORD"))
    parser.add_argument("--auth-in-clear", action="store_true")
    parser.add_argument("--exclude", nargs="+", default=[])
    parser.add_argument("--delay", type=float, default=0.0)
    args = parser.parse_args()
    # --auth-in-clear is the careless server on purpose.
    warnings.simplefilter("ignore", UserWarning)

    logger = logging.getLogger("mail.log")
    logger.setLevel(logging.INFO)
    logger.propagate = False
    logger.addHandler(CommandLog(os.path.join(args.folder, "commands.log")))

    context = None
    if args.tls:
        context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        # The server serves weak certificates too: refusing them is the client's job.
        context.set_ciphers("DEFAULT:@SECLEVEL=0")
        context.load_cert_chain(args.tls[0], args.tls[1])

    def authenticator(server, session, envelope, mechanism, auth_data):
        ok = (args.auth is not None and auth_data.login == args.auth[0].encode()
              and auth_data.password == args.auth[1].encode())
        return AuthResult(success=ok, handled=False)

    handler = StoreHandler(args.folder, args.delay)
    loop = asyncio.new_event_loop()
    asyncio.set_event_loop(loop)

    def smtp(starttls, tls_underneath):
        return SMTP(
            handler,
            hostname="test.invalid",
            tls_context=context if starttls else None,
            require_starttls=starttls,
            authenticator=authenticator if args.auth else None,
            auth_required=bool(args.auth),
            # Over implicit TLS the connection is protected already.
            auth_require_tls=not (args.auth_in_clear or tls_underneath),
            auth_exclude_mechanism=args.exclude,
            loop=loop,
        )

    loop.run_until_complete(loop.create_server(
        lambda: smtp(context is not None, False), host="127.0.0.1", port=args.port))
    if args.implicit:
        loop.run_until_complete(loop.create_server(
            lambda: smtp(False, True), host="127.0.0.1", port=args.implicit, ssl=context))
    loop.run_forever()


if __name__ == "__main__":
    main()
