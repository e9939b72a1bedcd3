#!/usr/bin/env bash
# Registration by e-mail after a full installation of the sample medium,
# against the SMTP peers on loopback (aiosmtpd on 127.0.0.1:25, a scripted
# server on 127.0.0.2:25): (a) a mail account naming the server delivers the
# form, byte for byte; (b) a first server that refuses the connection is
# followed by one that accepts; (c) without mail settings nothing is sent
# and another method is asked for; (d) a server that accepts and never
# answers is given up after the time limit; (e) a try that failed after
# connecting leaves nothing open, so the next try in the same run reaches
# the server, and a message the server accepted counts as sent even when
# QUIT is refused: no second server gets it. One Wine session for all.
E2E_OWN_SESSION=1
source "$(dirname "$0")/lib.sh"

peers="$MIVOX_E2E_OUT/$E2E_NAME-peers"
peers_script="$(dirname "$0")/../win32/smtp/smtp-peers.sh"
"$peers_script" "$peers" start
on_exit "'$peers_script' '$peers' stop"
mail="Send EMail"
account='HKCU\Software\Microsoft\Internet Account Manager'
ie_mail='HKCU\Software\Microsoft\Internet Mail and News\Mail'

# mail_settings [IE_SERVER] [ACCOUNT_SERVER]: the two Outlook sources, each
# naming a server or absent.
mail_settings() {
    wine reg delete "$ie_mail" /f >/dev/null 2>&1 || true
    wine reg delete "$account" /f >/dev/null 2>&1 || true
    if [[ -n ${1:-} ]]; then
        wine reg add "$ie_mail" /v "Default SMTP Server" /d "$1" /f >/dev/null 2>&1
    fi
    if [[ -n ${2:-} ]]; then
        wine reg add "$account" /v "Default Mail Account" /d "Work" /f >/dev/null 2>&1
        wine reg add "$account\\Accounts\\Work" /v "SMTP Server" /d "$2" /f >/dev/null 2>&1
    fi
}
# register_by_email: a fresh installation whose registration picks e-mail.
register_by_email() {
    fresh_system
    rm -rf "$peers/delivered"
    install_to_registration no yes yes
    register_by 652 "$mail"
}
# outcome SECONDS: waits for the box that ends the e-mail dialog; its
# caption goes to $result and the dialog's log, read while the box is up,
# to $log. The box is closed.
outcome() {
    local caption
    result="no outcome box" log=""
    for _ in $(seq "$1"); do
        for caption in "EMail Transaction Successful" "EMail Transaction Failed"; do
            if drive --timeout 300 wait "$caption" >/dev/null 2>&1; then
                log=$(drive text "$mail" 702)
                drive click "$caption" "OK" >/dev/null
                result=$caption
                return
            fi
        done
    done
}
logged() { grep -cxF -- "$1" <<<"$log" || true; }

# (a) One account naming aiosmtpd: delivered, recorded, byte for byte.
mail_settings "" 127.0.0.1
register_by_email
outcome 30
expect_eq "(a) outcome" "EMail Transaction Successful" "$result"
expect_eq "(a) server listed" 1 "$(logged 'WNT-IE/Outlook SMTP Server: 127.0.0.1')"
expect_eq "(a) connected" 1 "$(logged 'Request Finished: smtpConnect Error=0')"
finish_installation
expect_eq "(a) RegisterPerson" "Ann Tester" "$(reg_value RegisterPerson)"
expect_eq "(a) envelope" "register@vexlor.example register@vexlor.example Installer" \
    "$(cat "$peers/delivered/mail_from") $(cat "$peers/delivered/rcpt_tos") $(cat "$peers/delivered/helo")"
form=$(sed '3s/^Created: .*\r$/CREATED\r/' "$c/Mivox/REGISTER.TXT")
expected=$(printf '%s\r\n' "Reply-To: register@vexlor.example" \
    "Return-Path: register@vexlor.example" "From: register@vexlor.example" \
    "Comments: This is a test" "To: register@vexlor.example" "Subject: Product Registration" \
    "Mime-Version: 1.0" 'Content-Type: text/plain; charset="iso-8859-1"' "Date: DATE" "")
# (the command substitution took the blank line's LF)
expected+=$'\n'"$form"
actual=$(sed -e 's/^Date: .*\r$/Date: DATE\r/' -e '3,$s/^Created: .*\r$/CREATED\r/' \
    "$peers/delivered/content")
expect_eq "(a) message byte for byte" "$(od -c <<<"$expected")" "$(od -c <<<"$actual")"

# (b) The first server refuses, the second delivers: once.
mail_settings 127.0.0.9 127.0.0.1
register_by_email
outcome 30
expect_eq "(b) outcome" "EMail Transaction Successful" "$result"
expect_eq "(b) first tried" 1 "$(logged 'Trying SMTP Server: 127.0.0.9')"
expect_eq "(b) first refused" 1 "$(logged 'Request Finished: smtpConnect Error=10061')"
expect_eq "(b) second used" 1 "$(logged 'Initializing SMTP: 127.0.0.1')"
expect_eq "(b) delivered once" 1 "$(grep -c '^Subject: ' "$peers/delivered/content")"
finish_installation

# (c) No mail settings: the two lines, nothing sent, another method asked for.
mail_settings
register_by_email
sleep 1
log=$(drive text "$mail" 702)
expect_eq "(c) log" $'No SMTP servers listed in your Registry.\nPlease use a different registration option.' "$log"
drive close "$mail" >/dev/null
expect_text "(c) failure box" "Email was NOT sent" "EMail Transaction Failed" 65535
drive click "EMail Transaction Failed" "OK" >/dev/null
expect_text "(c) another method" "Please choose another method" "Selected Method Failed" 65535
drive click "Selected Method Failed" "OK" >/dev/null
register_by_file Ann Tester
finish_installation

# (d) A server that accepts and never answers: given up after the limit.
echo silent >"$peers/scenario"
mail_settings "" 127.0.0.2
register_by_email
started=$SECONDS
outcome 75
expect_eq "(d) outcome" "EMail Transaction Failed" "$result"
expect_eq "(d) time limit" 1 "$(logged 'Request Finished: smtpConnect Error=10060')"
took=$((SECONDS - started))
expect_eq "(d) ended by the limit, not before" 1 "$((took >= 28 && took < 75 ? 1 : 0))"
expect_text "(d) another method" "Please choose another method" "Selected Method Failed" 65535
drive click "Selected Method Failed" "OK" >/dev/null
register_by_file Ann Tester
finish_installation

# (e) First try: MAIL and QUIT refused, the connection kept by the server.
# Second try, same run: 250 to the end of the message, 554 to QUIT, the
# fallback server behind it: delivered once, reported and recorded.
echo "reject MAIL QUIT" >"$peers/scenario"
mail_settings "" 127.0.0.2
register_by_email
outcome 30
expect_eq "(e) first try fails" "EMail Transaction Failed" "$result"
expect_eq "(e) first try: QUIT refused" 1 "$(logged 'Request Finished: smtpQuit Error=554')"
expect_text "(e) another method" "Please choose another method" "Selected Method Failed" 65535
drive click "Selected Method Failed" "OK" >/dev/null
echo "reject QUIT" >"$peers/scenario"
mail_settings 127.0.0.2 127.0.0.1
register_by 652 "$mail"
outcome 30
expect_eq "(e) outcome" "EMail Transaction Successful" "$result"
expect_eq "(e) second try connected" 1 "$(logged 'Request Finished: smtpConnect Error=0')"
expect_eq "(e) message accepted" 1 "$(logged 'Request Finished: smtpData Error=0')"
expect_eq "(e) QUIT refused" 1 "$(logged 'Request Finished: smtpQuit Error=554')"
expect_eq "(e) no second server" 0 "$(logged 'Initializing SMTP: 127.0.0.1')"
expect_eq "(e) one message in all" "1 none" \
    "$(grep -c '^Subject: ' "$peers/raw.bin") $([[ -e $peers/delivered/content ]] && echo delivered || echo none)"
finish_installation
expect_eq "(e) RegisterPerson" "Ann Tester" "$(reg_value RegisterPerson)"
finish
