"""Word material for make-sample-store: the correspondents, subjects and
sentences its messages are built from. Names and addresses are invented; the
domains are reserved for examples (RFC 2606)."""

# Most frequent correspondent first: the generator weights them by rank.
_PEOPLE = """\
Dana Lee|dana.lee@example.com
Priya Raman|priya.raman@example.com
Tom Baker|tom.baker@example.com
Zoë Hartmann|zoe.hartmann@example.com
Marcus Webb|marcus.webb@example.com
Sarah O'Neill|sarah.oneill@example.com
José Álvarez|jose.alvarez@example.net
Chen Wei|chen.wei@example.com
Baker, Ruth|ruth.baker@example.com
Olivia Grant|olivia.grant@northwind.example
Søren Kjær|soren.kjaer@example.net
Ian Fletcher|ian.fletcher@example.com
Hannah Moss|hannah.moss@example.com
David Okafor|david.okafor@contoso.example
François Lefèvre|francois.lefevre@example.org
Emily Carter|emily.carter@example.com
Raj Patel|raj.patel@example.com
Łukasz Wójcik|lukasz.wojcik@example.net
Grace Kim|grace.kim@northwind.example
Ben Thompson|ben.thompson@example.com
Laura Jensen|laura.jensen@example.com
Nick Adams|nick.adams@contoso.example
Chloé Dubois|chloe.dubois@example.org
Sam Rivera|sam.rivera@example.com
Hughes, Gareth|gareth.hughes@example.com
Mei Tanaka|mei.tanaka@example.net
Paul Newman|paul.newman@example.com
Aisha Khan|aisha.khan@example.com
Björn Åkesson|bjorn.akesson@example.net
Kate Sullivan|kate.sullivan@northwind.example
Oliver Brooks|oliver.brooks@example.com
Fatima Haddad|fatima.haddad@contoso.example
Mark Ellis|mark.ellis@example.com
Siân Pryce|sian.pryce@example.org
Jack Turner|jack.turner@example.com
Nora Lindqvist|nora.lindqvist@example.net
Peter Hall|peter.hall@example.com
Lucy Chambers|lucy.chambers@example.com
Diego Fernández|diego.fernandez@example.org
Anna Schmidt|anna.schmidt@example.net
Ryan Cooper|ryan.cooper@contoso.example
Helen Ward|helen.ward@example.com
Kwame Mensah|kwame.mensah@example.com
Isabel Costa|isabel.costa@example.org
Michael Reid|michael.reid@example.com
Yuki Sato|yuki.sato@example.net
Clare Dawson|clare.dawson@example.com
Tariq Aziz|tariq.aziz@northwind.example
Ellen Fischer|ellen.fischer@example.net
George Price|george.price@example.com
Maria Rossi|maria.rossi@example.org
Simon Clarke|simon.clarke@example.com
Joanna Nowak|joanna.nowak@example.net
Liam Murphy|liam.murphy@contoso.example
Rachel Green|rachel.green@example.com
Victor Chen|victor.chen@example.com
Amelie Braun|amelie.braun@example.net
Owen Davies|owen.davies@example.com
Ingrid Berg|ingrid.berg@example.org
Stuart Bell|stuart.bell@example.com
"""

# Mailing lists of Inbox/Lists: (display name, list address, subject tag).
LISTS = [("cpp-users", "cpp-users@lists.example.org", "[cpp-users]"),
         ("Analytics Guild", "analytics-guild@example.com", "[analytics]"),
         ("London Office", "london-office@example.com", "[London]")]

TOPICS = [
    "Q3 budget review", "Atlas project status", "Vendor contract renewal", "Team offsite agenda",
    "Dashboard numbers for March", "Hiring plan", "Server migration weekend", "Customer survey results",
    "Release 2.4 timeline", "Expense report", "Board pack draft", "Pricing proposal",
    "Training schedule", "Office move", "Data retention policy", "Weekly metrics",
    "Support backlog", "Quarterly forecast", "Marketing plan review", "Security audit findings",
    "Holiday rota", "Invoice 4471", "Northwind onboarding", "Contoso pilot feedback",
    "Capacity planning", "Procurement approval", "Design review notes", "Annual appraisal",
    "Sales pipeline", "Travel to Berlin", "Workshop slides", "Risk register update",
]

PROJECTS = ["Atlas", "Beacon", "Harbour", "Kestrel", "Meridian"]

PROJECT_TOPICS = ["{p} milestone plan", "{p} steering group", "{p} test results",
                  "{p} budget change request", "{p} go-live checklist", "{p} lessons learned"]

LIST_TOPICS = ["Feature: export to CSV", "Build fails with GCC 12", "Meetup next Thursday",
               "Monthly newsletter", "Question about std::format", "Lunch and learn",
               "New coffee machine", "Fire drill on Friday", "Slides from the last session"]

GREETINGS = ["Hi {first},", "{first},", "Hello {first},", "Dear {first},", "Hi all,", "Morning {first},"]

CLOSINGS = ["Thanks,{nl}{me}", "Best regards,{nl}{me}", "Cheers,{nl}{me}", "{me}",
            "Kind regards,{nl}{me}{nl}{title}", "Thanks{nl}{me}"]

SHORT = ["Thanks, will do.", "Sounds good to me.", "Yes, Thursday works.", "Noted, thanks.",
         "Can we talk about this tomorrow?", "Agreed.", "Perfect, thank you!", "See below.",
         "FYI", "Please take a look when you get a chance."]

SENTENCES = [
    "I have attached the latest version of the {topic} so you can review it before the meeting.",
    "Could you send me the figures for {month} by the end of the week?",
    "We are still waiting for the final numbers from finance, so the report will slip by a day or two.",
    "The team agreed to move the deadline to {weekday}, which gives us a little more room.",
    "Let me know if you have any questions or if anything is unclear.",
    "I spoke to {person} this morning and she is happy with the proposal as it stands.",
    "The cost comes to about {num} pounds, which is within the budget we agreed in {month}.",
    "Can we set up a call on {weekday} afternoon to go through the open points?",
    "I think the main risk is the dependency on the {project} release, which has not been confirmed yet.",
    "Thanks for pulling this together so quickly.",
    "Please find my comments inline; most of them are small wording changes.",
    "We need to decide whether to extend the pilot or stop it at the end of {month}.",
    "The numbers look much better than last quarter, mainly because of the new accounts.",
    "I am out of the office on {weekday} but will pick this up as soon as I am back.",
    "Would it help if I joined the call with the supplier next week?",
    "We have {num} open tickets at the moment, down from twice that a month ago.",
    "The draft is on the shared drive under the {project} folder.",
    "I would rather not commit to a date until we have heard back from legal.",
    "Good point about the training; I will add it to the plan.",
    "The workshop went well and we collected a lot of useful feedback.",
    "Can you check whether the invoice has been paid?",
    "I have booked the large meeting room for {weekday} from ten until twelve.",
    "Please keep this to yourself for now, as it has not been announced yet.",
    "We should probably involve {person} early, since her team will run the service afterwards.",
    "Attached are the slides from today, including the two charts we discussed.",
    "The server migration is planned for the weekend, with a fallback to the old system on Sunday evening.",
    "Sorry for the slow reply; it has been a busy week.",
    "I agree with most of this, but the timeline for phase two looks too tight to me.",
    "Could you forward this to the rest of your team?",
    "The customer asked for a revised quote, so I will need the updated rates from you.",
    "Happy to help with the interviews if you need another person on the panel.",
    "I have updated the spreadsheet with the {month} figures and highlighted the changes.",
    "From what I can see, the totals match the ledger now.",
    "From next month the weekly report will go out on {weekday} instead.",
]

# Sentences that need more than ASCII, grouped by the charsets that can carry them.
LATIN1_SENTENCES = [
    "The café near the Zürich office has reopened, so we could meet there.",
    "Her résumé is attached; she speaks French and Portuguese fluently.",
    "The hotel in München charges £95 a night, breakfast included.",
    "Señor García confirmed the order for Düsseldorf this morning.",
]
CP1252_SENTENCES = [
    "The licence costs €1,200 a year \u2013 that\u2019s less than we feared.",
    "She called it \u201cthe best quarter we\u2019ve had\u201d, which is fair.",
    "We\u2019ll need sign-off from the board \u2013 ideally before Friday\u2026",
]
UTF8_SENTENCES = [
    "Łukasz will present the results in Kraków next week.",
    "The budget for Q4 is €48,000 \u2013 see the table below.",
    "Many thanks to Zoë and Søren for the quick turnaround \U0001F44D",
    "The Tokyo team (東京) has signed off the translation.",
]

TITLE = "Senior Analyst | Example Ltd | +44 20 7946 0018"


def people():
    """(display name, address) of every correspondent, most frequent first."""
    return [tuple(line.split("|")) for line in _PEOPLE.splitlines()]
