#include "dialogs/frmHelp.h"

#include "dialogs/AppIcon.h"
#include "dialogs/DialogLook.h"
#include "engine/GameRecord.h"
#include "engine/mdlGlobal.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace korvane {

QString frmHelp::Text() {
    return QStringLiteral(R"(
<h2>Korvane - Palveri Solitaire</h2>
<p>A card game for three to eight players around one table. Every seat is played either by a
person with the mouse or by the computer. The aim is to get rid of all your cards; the last
player left holding cards loses the game.</p>

<h3>Starting a game</h3>
<p>Choose <b>Game &gt; New Game</b> (F2). Pick the number of players and how many of them are
people, tick the seats that people play and type their names. A ticked seat is a person, an
unticked one the computer. To move a person to another seat, first untick a ticked seat and then
tick the one you want. One pack of 52 cards is shuffled and dealt face down to the players'
closed piles, and a player chosen at random begins.</p>

<h3>Your turn</h3>
<p>Each player has a <b>closed pile</b> (face down) and an <b>open pile</b> (face up). In the
middle of the table are the four <b>suit piles</b>, one for each suit.</p>
<ul>
<li>The card in hand is the top card of your open pile. You may also click your closed pile to
turn up its next card; that card is then the card in hand.</li>
<li>A card may go onto the suit pile of its own suit when it is the Ace (the pile is empty) or
the next rank above the pile's top card.</li>
<li>A card may go onto <b>another player's</b> open pile when it is exactly one rank higher than
that pile's top card, in any suit. An Ace never goes there; a 2 goes onto an Ace that was laid
there by mistake.</li>
<li>As long as you play cards away you keep the turn.</li>
<li>A turned-up card that can go nowhere must be laid on your own open pile. That ends your
turn.</li>
<li>When your closed pile is empty, clicking it turns your open pile over to become the new
closed pile, in the same order.</li>
<li>A player whose two piles are both empty is out.</li>
</ul>

<h3>The two mistakes and the penalty</h3>
<p>The game watches for two mistakes:</p>
<ol>
<li>Clicking your closed pile while the top card of your open pile could have been played.</li>
<li>Laying a turned-up card on your own open pile while it could have been played onto a suit
pile or another player's open pile.</li>
</ol>
<p>A mistake costs a penalty, a <b>Korvane</b>: every other player hands you cards from the
bottom of his closed pile, face down, onto the end of your closed pile. Players whose closed pile
is empty give nothing. How many cards each player gives is set by <b>Total Korvane</b> in the
options.</p>
<p>With <b>Korvane per Mistake</b> each mistake is charged at once. With <b>Korvane per Turn</b>
a mistake of the first kind is only noted, and all mistakes of the turn are charged together as
one penalty the next time a turned-up card is laid on an open pile.</p>

<h3>The end of the game and the last chance</h3>
<p>When only one player still holds cards the game is over and that player has lost it. With
<b>Give a last chance at the end</b> ticked, that player first gets one more turn: if he can play
all his remaining cards onto the suit piles, nobody loses. The number of games each player has
lost is shown next to his name. At the end you may play again with the same players.</p>

<h3>Playing with the mouse</h3>
<ul>
<li>Drag the card in hand with the mouse and let it go over the pile where it should go. The
pile under the card is highlighted; a card let go anywhere else flies back.</li>
<li>Click your closed pile to turn up its next card.</li>
<li>Double-click a player's name to switch that seat between a person and the computer.</li>
<li>When a person is to move, the card in hand may fly to every pile that can take it and back:
that is the tip.</li>
</ul>

<h3>Playing with the keys</h3>
<p>The whole game can be played without a mouse. A frame marks one pile: at the start of your
turn it stands on your card in hand when it can be played, else on your closed pile.</p>
<ul>
<li><b>Tab</b> and <b>Shift+Tab</b> move the frame from pile to pile, seat by seat and then along
the suit piles. The first Tab of a turn goes to your own pile.</li>
<li>The <b>arrow keys</b> move the frame as the table is drawn: Left and Right along a row, Up
and Down to the row above or below.</li>
<li><b>Enter</b> or <b>Space</b> acts on the framed pile: on your closed pile it turns up a card,
on any other pile it sends the card in hand there. A card that does not fit flies back. When a
key cannot act, the line below the table says why.</li>
<li><b>Escape</b> brings the frame back to your own pile.</li>
</ul>
<p>The line below the table always says whose turn it is and what you may do, in words for the
keys once you have used them. A screen reader hears the name and contents of each pile the frame
reaches, and every move as it happens.</p>

<h3>Playing with friends over the network</h3>
<p><b>Host Network Table</b> in the <b>Game</b> menu opens the players dialog with one more choice
for each person's seat: <b>At this computer</b> or <b>Remote</b>. A friend at another computer
takes a remote seat. Below the table you then see the table code and this computer's addresses:
give them to your friends, or let them find the table in their list. Press <b>Start Game</b> when
everybody has come; a seat still empty then goes to the computer.</p>
<p><b>Join Network Table</b> lists the tables hosted on your network. Choose one, check your name
and press <b>Join</b>; for a table elsewhere, type its address and code.</p>
<p>At a network table your own seats are marked with (you) after the name, and the line below the table says whose turn
it is, what each player was charged for, and who left or came back. When a connection is lost,
the computer plays that seat until its player is back; the game window tries again by itself.
Only the host can save the game; opened later, it is an ordinary game at this computer, with the
friends' seats for people.</p>

<h3>The menus</h3>
<ul>
<li><b>New Game</b> (F2), <b>Open Game</b> (F3), <b>Save Game</b> (Ctrl+S) and <b>Save Game
AS</b> (Ctrl+A): games are saved with their options in files ending in .kvn.</li>
<li><b>Host Network Table</b> and <b>Join Network Table</b>: play with friends at other
computers (above). Starting, opening or hosting another game, or closing the window, first asks
whether to leave the network table.</li>
<li><b>Deck</b> (F8): choose one of twelve designs for the backs of the cards.</li>
<li><b>Option</b> (F9): the options below.</li>
<li><b>Exit</b> (Ctrl+F4): ends the program; a game that was not saved is lost.</li>
<li><b>Zoom In</b> (Ctrl++), <b>Zoom Out</b> (Ctrl+-) and <b>Actual Size</b> (Ctrl+0) in the
<b>View</b> menu draw the cards and names larger or smaller; Zoom In stops where the screen has no
room for a larger table. <b>Fit to Window</b> makes the table as large as the window lets
it.</li>
<li><b>Index</b> (F1) shows this help.</li>
</ul>

<h3>Options</h3>
<ul>
<li><b>Total Korvane</b> (One, Two, Three): how many cards every other player hands over for one
penalty.</li>
<li><b>Korvane Type</b>: <b>Korvane per Mistake</b> charges every mistake at once;
<b>Korvane per Turn</b> charges the mistakes of a turn together, once.</li>
<li><b>Funny Card Movement Path</b>: cards fly along random curves instead of straight lines.
<b>Path Points</b> is the number of random points on the table a curved flight bends towards;
at 0 the flight stays straight.</li>
<li><b>Show Tip everytime</b>: shows a person where the card in hand may go.</li>
<li><b>Give a last chance at the end</b>: the last player holding cards gets one more turn.</li>
<li><b>Outline Dragging</b>: highlights another player's open pile when a dragged card is over
it (suit piles are always highlighted).</li>
<li><b>Card Animation</b>: <b>Step Distance</b> is how far a flying card moves at each step, from
1 (slow) to 99 (fast); <b>Speed</b> goes from -9 (slow) to 99 (fast). The computer's cards have
their own <b>Computer Step Distance</b> and <b>Computer Speed</b>.</li>
</ul>
<p>The options are saved with a game and come back when it is opened.</p>
)");
}

frmHelp::frmHelp(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Korvane Help"));
    setWindowIcon(AppIcon());
    setModal(false);
    ApplyWindowFont(this);
    const int S = mdlGlobal::CardSpacing;

    browser_ = new QTextBrowser(this);
    browser_->setOpenLinks(false);
    browser_->setHtml(Text());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(S, S, S, S);
    layout->setSpacing(S);
    layout->addWidget(browser_);
    layout->addWidget(buttons);
    resize(620, 560);
}

frmHelp* frmHelp::Show(QWidget* owner) {
    frmHelp* help =
        owner ? owner->findChild<frmHelp*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (!help) {
        help = new frmHelp(owner);
        help->setAttribute(Qt::WA_DeleteOnClose);
    }
    help->show();
    help->raise();
    help->activateWindow();
    return help;
}

} // namespace korvane
