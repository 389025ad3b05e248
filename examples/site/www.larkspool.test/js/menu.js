// Highlights the link to the page being shown.
window.addEventListener("load", function () {
    var links = document.getElementsByTagName("a");
    for (var i = 0; i < links.length; i++) {
        if (links[i].href === window.location.href) links[i].style.fontWeight = "bold";
    }
});
